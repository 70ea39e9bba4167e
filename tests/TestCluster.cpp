#include "tests/TestCluster.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>

#include <pwd.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {
// The newest installed server's programs.
QString ServerBin()
{
    QStringList versions =
        QDir(u"/usr/lib/postgresql"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QCollator collator;
    collator.setNumericMode(true);
    std::sort(versions.begin(), versions.end(), collator);
    return versions.isEmpty() ? QString() : u"/usr/lib/postgresql/%1/bin"_s.arg(versions.last());
}
} // namespace

CTestCluster::CTestCluster() : m_strBin(ServerBin())
{
    if (!m_dir.isValid() || m_strBin.isEmpty()) {
        m_strLog = u"no temporary folder or no PostgreSQL server installed"_s;
        return;
    }
    // Passwords over the network, checked with SCRAM, as a lab's server
    // checks them; the administrator's is the cluster's own. initdb refuses
    // to run as root: the server's user must own the folder and the file.
    m_strPassword = u"admin%1"_s.arg(QRandomGenerator::global()->generate64(), 0, 16);
    QFile pwfile(m_dir.filePath(u"adminpw"_s));
    if (!pwfile.open(QIODevice::WriteOnly) || pwfile.write(m_strPassword.toLatin1() + '\n') < 0) {
        m_strLog = u"cannot write the administrator's password file"_s;
        return;
    }
    pwfile.close();
    const passwd* pw = geteuid() == 0 ? getpwnam("postgres") : nullptr;
    for (const QString& path : {m_dir.path(), pwfile.fileName()}) {
        if (geteuid() == 0 &&
            (!pw || chown(QFile::encodeName(path).constData(), pw->pw_uid, pw->pw_gid) != 0)) {
            m_strLog = u"cannot hand %1 to the user postgres"_s.arg(path);
            return;
        }
    }
    if (!Run(m_strBin + u"/initdb"_s, {u"-D"_s, m_dir.filePath(u"data"_s), u"-U"_s, u"postgres"_s,
                                       u"--pwfile=%1"_s.arg(pwfile.fileName()),
                                       u"--auth-local=peer"_s, u"--auth-host=scram-sha-256"_s}))
        return;
    for (int attempt = 0; attempt < 5 && !m_bRunning; ++attempt) {
        m_nPort = 20000 + int(QRandomGenerator::global()->bounded(30000));
        Start();
    }
}

CTestCluster::~CTestCluster()
{
    if (m_bRunning)
        Run(m_strBin + u"/pg_ctl"_s,
            {u"-D"_s, m_dir.filePath(u"data"_s), u"-m"_s, u"immediate"_s, u"stop"_s});
}

QString CTestCluster::Target() const
{
    return u"postgresql://postgres:%1@127.0.0.1:%2/postgres"_s.arg(m_strPassword).arg(m_nPort);
}

bool CTestCluster::Start()
{
    m_bRunning = Run(
        m_strBin + u"/pg_ctl"_s,
        {u"-D"_s, m_dir.filePath(u"data"_s), u"-l"_s, m_dir.filePath(u"server.log"_s), u"-w"_s,
         u"-t"_s, u"60"_s, u"-o"_s,
         u"-p %1 -k %2 -c listen_addresses=127.0.0.1 -c fsync=off"_s.arg(m_nPort).arg(m_dir.path()),
         u"start"_s});
    return m_bRunning;
}

bool CTestCluster::Stop()
{
    // Fast shutdown, as an administrator restarting the server does: the
    // sessions are ended and their clients learn it at their next use.
    const bool bStopped = Run(m_strBin + u"/pg_ctl"_s, {u"-D"_s, m_dir.filePath(u"data"_s), u"-w"_s,
                                                        u"-m"_s, u"fast"_s, u"stop"_s});
    if (bStopped)
        m_bRunning = false;
    return bStopped;
}

bool CTestCluster::Run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (geteuid() == 0)
        process.start(u"runuser"_s,
                      QStringList{u"-u"_s, u"postgres"_s, u"--"_s, program} + arguments);
    else
        process.start(program, arguments);
    const bool bDone = process.waitForFinished(120000) &&
                       process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    m_strLog = QString::fromLocal8Bit(process.readAll());
    return bDone;
}
