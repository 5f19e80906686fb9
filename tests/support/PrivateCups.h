#pragma once
// A CUPS scheduler of the test's own: configuration, spool, logs and socket in the
// folder of CUPS_SERVER (set by the test entry), one queue whose backend copies each
// job's document into an output folder, so a test prints for real and reads back
// what came out of the queue. The machine's own printers are never touched.
#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QThread>

#include <cstdlib>
#include <string>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

class TPrivateCups {
public:
    TPrivateCups()
    {
        const char* server = std::getenv("CUPS_SERVER");
        if (server && server[0] == '/')
            Socket = QString::fromLocal8Bit(server);
        Root = QFileInfo(Socket).absolutePath();
    }
    ~TPrivateCups() { Stop(); }
    TPrivateCups(const TPrivateCups&) = delete;
    TPrivateCups& operator=(const TPrivateCups&) = delete;

    // Why the scheduler cannot run here (empty when it can).
    QString Missing() const
    {
        if (Socket.isEmpty())
            return "CUPS_SERVER does not name a socket of the tests";
        if (Cupsd().isEmpty())
            return "cupsd is not installed (Debian package cups-daemon)";
        if (Lpadmin().isEmpty())
            return "lpadmin is not installed (Debian package cups-client)";
        return QString();
    }

    // Starts the scheduler; an error text when it did not come up.
    QString Start()
    {
        if (QString why = Missing(); !why.isEmpty())
            return why;
        for (const char* sub : {"spool", "tmp", "cache", "state", "serverbin/backend", "out"})
            QDir().mkpath(Root + "/" + sub);
        // The jobs run as the scheduler's own user for printing ("lp" when it runs as
        // root): they must reach the output folder through the private one.
        ::chmod(QFile::encodeName(Root).constData(), 0755);
        ::chmod(QFile::encodeName(Out()).constData(), 0777);
        QFile::link("/usr/lib/cups/daemon", Root + "/serverbin/daemon");
        const QString backend = Root + "/serverbin/backend/tlout";
        Write(backend,
              "#!/bin/sh\n"
              "# Device discovery, then each job's document into the folder of the URI.\n"
              "if [ $# -eq 0 ]; then echo 'direct tlout \"Unknown\" \"Test output\"'; exit 0; fi\n"
              "dir=\"${DEVICE_URI#tlout:}\"\n"
              "if [ $# -ge 6 ]; then cp \"$6\" \"$dir/.job-$1\"; else cat > \"$dir/.job-$1\"; fi\n"
              "chmod 644 \"$dir/.job-$1\" && mv \"$dir/.job-$1\" \"$dir/job-$1.pdf\"\n");
        ::chmod(QFile::encodeName(backend).constData(), 0755);
        Write(Root + "/cups-files.conf",
              "ServerRoot " + Root + "\nRequestRoot " + Root + "/spool\nTempDir " + Root + "/tmp\nCacheDir " + Root
                  + "/cache\nStateDir " + Root + "/state\nErrorLog " + Root + "/error_log\nAccessLog " + Root
                  + "/access_log\nPageLog " + Root + "/page_log\nServerBin " + Root
                  + "/serverbin\nDataDir /usr/share/cups\n");
        Write(Root + "/cupsd.conf", "Listen " + Socket
                                        + "\nBrowsing Off\nWebInterface No\nLogLevel info\nDefaultAuthType None\n"
                                          "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                          "<Location /admin>\n  Order allow,deny\n  Allow all\n</Location>\n"
                                          "<Policy default>\n  <Limit All>\n    Order allow,deny\n    Allow all\n"
                                          "  </Limit>\n</Policy>\n");
        Scheduler.setProcessChannelMode(QProcess::MergedChannels);
        Scheduler.start(Cupsd(), {"-f", "-c", Root + "/cupsd.conf", "-s", Root + "/cups-files.conf"});
        if (!Scheduler.waitForStarted(5000))
            return "cupsd did not start: " + Scheduler.errorString();
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 15000) {
            if (Answers())
                return QString();
            if (Scheduler.state() != QProcess::Running)
                return "cupsd ended: " + QString::fromLocal8Bit(Scheduler.readAll()) + Log();
            QThread::msleep(50);
        }
        return "cupsd did not answer on " + Socket + Log();
    }

    void Stop()
    {
        if (Scheduler.state() != QProcess::NotRunning) {
            Scheduler.terminate();
            if (!Scheduler.waitForFinished(5000))
                Scheduler.kill();
            Scheduler.waitForFinished(2000);
        }
        if (!Root.isEmpty() && Root.startsWith("/tmp/tomelark-cups-"))
            QDir(Root).removeRecursively();
    }

    // Adds an enabled queue that prints into Out(); an error text when lpadmin failed.
    QString AddQueue(const QString& name)
    {
        QProcess lpadmin;
        lpadmin.setProcessChannelMode(QProcess::MergedChannels);
        lpadmin.start(Lpadmin(), {"-p", name, "-E", "-v", "tlout:" + Out(), "-m", "raw"});
        lpadmin.waitForFinished(15000);
        if (lpadmin.exitStatus() != QProcess::NormalExit || lpadmin.exitCode() != 0)
            return "lpadmin failed: " + QString::fromLocal8Bit(lpadmin.readAll());
        return QString();
    }

    QString Out() const { return Root + "/out"; }

    // The documents that came out of the queue, waiting up to timeoutMs for count of them.
    QStringList WaitForJobs(int count, int timeoutMs = 20000) const
    {
        QElapsedTimer timer;
        timer.start();
        QStringList files;
        do {
            files = QDir(Out()).entryList({"job-*.pdf"}, QDir::Files, QDir::Name);
            if (files.size() >= count)
                break;
            QThread::msleep(100);
        } while (timer.elapsed() < timeoutMs);
        for (QString& f : files)
            f = Out() + "/" + f;
        return files;
    }

    // The scheduler's error log, for failure messages.
    QString Log() const
    {
        QFile f(Root + "/error_log");
        return f.open(QIODevice::ReadOnly) ? "\n" + QString::fromLocal8Bit(f.readAll().right(3000)) : QString();
    }

    static QString Cupsd() { return QStandardPaths::findExecutable("cupsd", {"/usr/sbin", "/usr/local/sbin", "/sbin"}); }
    static QString Lpadmin()
    {
        return QStandardPaths::findExecutable("lpadmin", {"/usr/sbin", "/usr/local/sbin", "/usr/bin"});
    }

private:
    // Whether the scheduler takes connections on its socket.
    bool Answers() const
    {
        const QByteArray path = QFile::encodeName(Socket);
        sockaddr_un address{};
        if (size_t(path.size()) >= sizeof(address.sun_path))
            return false;
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (fd < 0)
            return false;
        const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
        ::close(fd);
        return ok;
    }

    static void Write(const QString& path, const QString& text)
    {
        QFile f(path);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(text.toUtf8());
    }

    QString Socket;
    QString Root;
    QProcess Scheduler;
};

// Pages of a PDF document and the size of its first page in points (as written by Qt:
// "/Type /Page" objects with "/MediaBox [0 0 w h]").
struct TPdfPages {
    int Count = 0;
    double Width = 0;
    double Height = 0;
};

inline TPdfPages ReadPdfPages(const QByteArray& pdf)
{
    TPdfPages pages;
    for (qsizetype at = pdf.indexOf("/Type /Page"); at >= 0; at = pdf.indexOf("/Type /Page", at + 1)) {
        const qsizetype next = at + 11;
        if (next >= pdf.size() || pdf[next] != 's')
            ++pages.Count;
    }
    static const QRegularExpression box(R"(/MediaBox \[\s*0\s+0\s+([0-9.]+)\s+([0-9.]+)\s*\])");
    const QRegularExpressionMatch m = box.match(QString::fromLatin1(pdf));
    if (m.hasMatch()) {
        pages.Width = m.captured(1).toDouble();
        pages.Height = m.captured(2).toDouble();
    }
    return pages;
}

inline TPdfPages ReadPdfFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? ReadPdfPages(f.readAll()) : TPdfPages{};
}
