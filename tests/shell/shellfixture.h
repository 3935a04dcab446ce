#pragma once

#include "scripteddialoghost.h"
#include "shell/mainform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace sorvant::testing {

// Sixteen bytes in the controller's layout: six big-endian 16-bit fields,
// then bin, hour, minute and a spare byte.
inline QByteArray recordBytes(int inDryer, int wet, int moistIn, int dried, int moistOut, int unload, int bin,
                              int hour, int minute)
{
    QByteArray b;
    for (int v : {inDryer, wet, moistIn, dried, moistOut, unload}) {
        b.append(static_cast<char>((v >> 8) & 0xFF));
        b.append(static_cast<char>(v & 0xFF));
    }
    b.append(static_cast<char>(bin));
    b.append(static_cast<char>(hour));
    b.append(static_cast<char>(minute));
    b.append('\0');
    return b;
}

// A main window over a settings file in a temporary folder, with every
// dialog scripted.
class ShellTest : public ::testing::Test
{
protected:
    QTemporaryDir temp;
    ScriptedDialogHost dialogs;
    QString savedCurrent = QDir::currentPath();

    void TearDown() override { QDir::setCurrent(savedCurrent); }

    QString settingsPath() const { return temp.filePath(QStringLiteral("config/Sorvant/Sorvant.reg")); }

    std::unique_ptr<TSorvantMainForm> makeForm(const QStringList &arguments = {})
    {
        MainFormOptions options;
        options.arguments = arguments;
        options.settingsPath = settingsPath();
        options.locale = QLocale::c();
        return std::make_unique<TSorvantMainForm>(dialogs, options);
    }

    // A window whose printer "prints to file": the print dialog's OK writes
    // the pages into the PDF `pdf`, on A4 in `orientation`.
    std::unique_ptr<TSorvantMainForm> makePdfPrintingForm(const QString &pdf, QPageLayout::Orientation orientation)
    {
        QDir().mkpath(QFileInfo(pdf).absolutePath());
        auto form = makeForm();
        QPrinter &printer = form->printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(orientation);
        return form;
    }

    StoredSettings readBack()
    {
        StoredSettings s;
        SettingsStore(settingsPath()).read(s, false);
        return s;
    }

    void store(const StoredSettings &s) { SettingsStore(settingsPath()).write(s); }

    QString writeLog(const QString &name, const QByteArray &bytes)
    {
        const QString path = temp.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }

    // `count` records; record i has Minute = i % 60 and bin i % 7.
    QString writeCountingLog(const QString &name, int count)
    {
        QByteArray bytes;
        for (int i = 0; i < count; ++i)
            bytes += recordBytes(90, 621, 215, 665, 150, 35, i % 7, 14, i % 60);
        return writeLog(name, bytes);
    }

    void answerOpen(const QString &path)
    {
        FileDialogAnswer a;
        a.accepted = true;
        a.path = path;
        dialogs.openAnswers.push_back(a);
    }
    void cancelOpen() { dialogs.openAnswers.push_back(FileDialogAnswer{}); }
};

} // namespace sorvant::testing

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE
