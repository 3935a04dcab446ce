#include "platform/backgroundcommit.h"
#include "platform/outputfile.h"

#include "filetestutil.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <thread>
#include <vector>

using namespace sorvant;
using sorvant::testing::readAllBytes;
using sorvant::testing::writeAllBytes;

namespace {

bool writeWhole(const QString &path, const QByteArray &bytes)
{
    OutputFile file(path);
    return file.open() && file.write(bytes.constData(), std::size_t(bytes.size())) && file.commit();
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

TEST(BackgroundCommitter, EachRunIsFinishedWithItsFilesInPlace)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.path();
    // One old file is replaced; it keeps its permissions.
    ASSERT_TRUE(writeAllBytes(folder + QStringLiteral("/w0-r0-a.csv"), "old"));
    ASSERT_TRUE(QFile::setPermissions(folder + QStringLiteral("/w0-r0-a.csv"),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));

    std::mutex mutex;
    std::map<QString, QStringList> seen; // run: what its files held when it was finished
    std::map<QString, int> calls;
    {
        // Room for two waiting files only: the writers must wait for the
        // committer and still get through.
        BackgroundCommitter committer(2);
        const auto writer = [&](int w) {
            for (int r = 0; r < 8; ++r) {
                const QString run = QStringLiteral("w%1-r%2").arg(w).arg(r);
                const QStringList files = {folder + QLatin1Char('/') + run + QStringLiteral("-a.csv"),
                                           folder + QLatin1Char('/') + run + QStringLiteral("-b.xls")};
                bool written = true;
                committer.run(
                    [&] {
                        for (const QString &f : files)
                            written = writeWhole(f, f.toUtf8()) && written;
                    },
                    [&, run, files](const QStringList &errors) {
                        QStringList contents = errors;
                        for (const QString &f : files)
                            contents << QString::fromUtf8(readAllBytes(f));
                        const std::lock_guard<std::mutex> lock(mutex);
                        seen[run] = contents;
                        ++calls[run];
                    });
                EXPECT_TRUE(written) << run.toStdString();
            }
        };
        std::thread other(writer, 1);
        writer(0);
        other.join();

        // A run that commits nothing is finished before run() returns.
        bool finishedAtOnce = false;
        committer.run([] {}, [&](const QStringList &errors) { finishedAtOnce = errors.isEmpty(); });
        EXPECT_TRUE(finishedAtOnce);
        committer.waitForAll();
        EXPECT_EQ(calls.size(), 16u); // all finished by now, not just when the committer goes
    }
    for (const auto &[run, contents] : seen) {
        SCOPED_TRACE(run.toStdString());
        EXPECT_EQ(calls[run], 1);
        const QString base = folder + QLatin1Char('/') + run;
        EXPECT_EQ(contents, QStringList({base + QStringLiteral("-a.csv"), base + QStringLiteral("-b.xls")}));
    }
    EXPECT_EQ(QFile::permissions(folder + QStringLiteral("/w0-r0-a.csv")),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadUser | QFile::WriteUser);
    // The targets and nothing else: no temporary name is left behind.
    EXPECT_EQ(entries(folder).size(), 32);
}

TEST(BackgroundCommitter, AFileThatCannotTakeItsPlaceIsReportedAndLeavesNothing)
{
    // A folder takes the target's name after the file was opened: the final
    // rename fails, on the committer's thread or on the caller's.
    for (const bool handedOver : {true, false}) {
        SCOPED_TRACE(handedOver ? "handed over" : "in place at once");
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const QString target = dir.path() + QStringLiteral("/out.csv");
        bool committed = false;
        QString error;
        const auto work = [&] {
            OutputFile file(target);
            ASSERT_TRUE(file.open());
            ASSERT_TRUE(file.write("data", 4));
            ASSERT_TRUE(QDir().mkpath(target + QStringLiteral("/inside")));
            committed = file.commit();
            error = file.errorString();
        };
        QStringList reported;
        int calls = 0;
        if (handedOver) {
            BackgroundCommitter committer;
            committer.run(work, [&](const QStringList &errors) {
                reported = errors;
                ++calls;
            });
            committer.waitForAll();
            EXPECT_TRUE(committed); // its fate is told to the run's finish
            EXPECT_EQ(calls, 1);
            EXPECT_EQ(reported, QStringList{QStringLiteral("Error writing file %1: Is a directory").arg(target)});
        } else {
            work();
            EXPECT_FALSE(committed);
            EXPECT_EQ(error, QStringLiteral("Is a directory"));
        }
        EXPECT_EQ(entries(dir.path()), QStringList{QStringLiteral("out.csv")});
        EXPECT_EQ(entries(target), QStringList{QStringLiteral("inside")});
    }
}
