// Files handed over by the desktop: an open request from a later start, the
// URIs of a drop, a typed name for a file whose name is not UTF-8, and the
// signals that end a session.

#include "platform/fileuris.h"
#include "platform/shownfilenames.h"
#include "platform/singleinstance.h"
#include "platform/terminationsignals.h"

#include "filetestutil.h"

#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <gtest/gtest.h>

#include <csignal>

#include <fcntl.h>
#include <unistd.h>

using namespace sorvant;

namespace {

QString uniqueName()
{
    return QStringLiteral("sorvant-open-") + QUuid::createUuid().toString(QUuid::Id128).left(12);
}

// Makes a file whose name is the given bytes, inside `folder`.
bool makeFileNamed(const QString &folder, const QByteArray &name)
{
    const QByteArray path = encodeFileName(folder) + '/' + name;
    const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

// Sends raw bytes to an instance, as a later start (or anything else) would.
void sendRaw(const QString &server, const QByteArray &bytes)
{
    QLocalSocket socket;
    socket.connectToServer(server);
    ASSERT_TRUE(socket.waitForConnected(2000));
    socket.write(bytes);
    socket.waitForBytesWritten(2000);
    socket.disconnectFromServer();
}

} // namespace

TEST(OpenRequest, ALaterStartHandsItsFileOverByteForByte)
{
    const QString name = uniqueName();
    SingleInstance first(name);
    ASSERT_TRUE(first.tryBecomePrimary());
    QSignalSpy activated(&first, &SingleInstance::activationRequested);
    QSignalSpy opened(&first, &SingleInstance::openRequested);

    // A Latin-1 name from a USB stick, and a long path near PATH_MAX.
    const QString latin1 = decodeFileName(QByteArrayLiteral("/media/usb/caf\xe9 bin 3.dat"));
    const QString deep = QStringLiteral("/logs/") + QString(4000, QLatin1Char('d')) + QStringLiteral("/x.dat");
    for (const QString &path : {latin1, deep}) {
        SingleInstance second(name);
        second.setFileToOpen(path);
        EXPECT_FALSE(second.tryBecomePrimary());
        ASSERT_TRUE(opened.wait(5000));
        EXPECT_EQ(opened.takeFirst().at(0).toString(), path);
    }
    // Each request also brings the running one forward, first.
    EXPECT_EQ(activated.count(), 2);

    // A plain later start only asks it to come forward.
    {
        SingleInstance plain(name);
        EXPECT_FALSE(plain.tryBecomePrimary());
        ASSERT_TRUE(activated.wait(5000));
        EXPECT_TRUE(opened.isEmpty());
    }
}

TEST(OpenRequest, BrokenRequestsOpenNothing)
{
    const QString name = uniqueName();
    SingleInstance first(name);
    ASSERT_TRUE(first.tryBecomePrimary());
    QSignalSpy activated(&first, &SingleInstance::activationRequested);
    QSignalSpy opened(&first, &SingleInstance::openRequested);

    const QByteArray cases[] = {
        "open not*base64!\n",                              // not Base64
        "open " + QByteArray("/a\0b", 4).toBase64() + "\n", // a NUL byte in the name
        "open \n",                                          // no name
        "open " + QByteArray("/cut/off/name.dat").toBase64(), // the line never ended
    };
    for (const QByteArray &request : cases) {
        SCOPED_TRACE(request.toStdString());
        const int before = activated.count();
        sendRaw(name, request);
        ASSERT_TRUE(QTest::qWaitFor([&] { return activated.count() > before; }, 7000));
    }
    QTest::qWait(100);
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_EQ(SingleInstance::requestFor(QString()), QByteArrayLiteral("activate\n"));
}

TEST(FileUris, LocalFilesOfADropKeepTheirBytes)
{
    const struct {
        QByteArray uri;
        QByteArray path; // empty: not a local file
    } cases[] = {
        {"file:///home/ann/logs/dryer3.dat", "/home/ann/logs/dryer3.dat"},
        {"file://localhost/home/ann/a%20b.dat", "/home/ann/a b.dat"},
        {"FILE:///media/usb/caf%E9.dat", "/media/usb/caf\xe9.dat"},
        {"file:///media/usb/caf%C3%A9.dat", "/media/usb/caf\xc3\xa9.dat"},
        {"file:/short/form.dat", "/short/form.dat"},
        {"file:///x.dat#fragment", "/x.dat"},
        {"file://otherhost/x.dat", ""},
        {"http://example.com/x.dat", ""},
        {"file:relative.dat", ""},
        {"file:///a%00b.dat", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.uri.toStdString());
        EXPECT_EQ(encodeFileName(localFileFromUri(c.uri)), c.path);
    }
    const QByteArray list = "# a comment\r\nfile:///one.dat\r\nhttp://x/y\r\n\r\nfile:///two%E9.dat\r\n";
    const QStringList files = localFilesFromUriList(list);
    ASSERT_EQ(files.size(), 2);
    EXPECT_EQ(files[0], QStringLiteral("/one.dat"));
    EXPECT_EQ(encodeFileName(files[1]), QByteArrayLiteral("/two\xe9.dat"));
}

TEST(ShownFileNames, ATypedNameFindsTheOneFileItShowsAs)
{
    QTemporaryDir dir;
    ASSERT_TRUE(makeFileNamed(dir.path(), "caf\xe9.dat"));
    ASSERT_TRUE(makeFileNamed(dir.path(), "plain.dat"));
    ASSERT_TRUE(makeFileNamed(dir.path(), "b\xe4r1.dat"));
    ASSERT_TRUE(makeFileNamed(dir.path(), "b\xf6r1.dat"));
    const struct {
        QString typed;
        QByteArray found; // the name on disk; empty: none
    } cases[] = {
        {QStringLiteral("café.dat"), "caf\xe9.dat"},      // as the Windows machine named it
        {QStringLiteral("caf\uFFFD.dat"), "caf\xe9.dat"}, // as Qt shows it
        {QStringLiteral("caf?.dat"), "caf\xe9.dat"},      // as ls shows it
        {QStringLiteral("bär1.dat"), "b\xe4r1.dat"},
        {QStringLiteral("b?r1.dat"), ""},                 // two files show so: no guess
        {QStringLiteral("plain.dat"), ""},                // UTF-8 names are Qt's business
        {QStringLiteral("cafe.dat"), ""},
        {QString(), ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        const QString found = findFileByShownName(dir.path(), c.typed);
        if (c.found.isEmpty())
            EXPECT_TRUE(found.isEmpty()) << found.toStdString();
        else
            EXPECT_EQ(encodeFileName(found), encodeFileName(dir.path()) + '/' + c.found);
    }
    EXPECT_TRUE(findFileByShownName(dir.filePath(QStringLiteral("gone")), QStringLiteral("café.dat")).isEmpty());
}

TEST(TerminationSignalsTest, TermAndHupArriveOnTheEventLoopAndTheProcessLives)
{
    {
        TerminationSignals termination;
        ASSERT_TRUE(termination.isActive());
        QSignalSpy spy(&termination, &TerminationSignals::terminationRequested);
        ::raise(SIGTERM);
        ::raise(SIGHUP);
        ASSERT_TRUE(QTest::qWaitFor([&] { return spy.count() >= 2; }, 5000));
        EXPECT_EQ(spy.at(0).at(0).toInt(), SIGTERM);
        EXPECT_EQ(spy.at(1).at(0).toInt(), SIGHUP);
    }
    // Afterwards the former handlers are back.
    struct sigaction now {};
    ::sigaction(SIGTERM, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_DFL);
}
