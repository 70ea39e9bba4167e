#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A PostgreSQL server of the test's own, which the test may stop, start and
// restart: a cluster made with initdb in a temporary folder, listening on a
// free loopback port. Run as root, the server runs as the user postgres.
class CTestCluster
{
public:
    CTestCluster();  // made and started; IsRunning() tells whether that worked
    ~CTestCluster(); // stopped and removed
    CTestCluster(const CTestCluster&) = delete;
    CTestCluster& operator=(const CTestCluster&) = delete;

    bool IsRunning() const { return m_bRunning; }
    // The address of the cluster's database "postgres".
    QString Target() const;
    bool Start();
    bool Stop();
    // What went wrong last, for the test's message.
    QString Log() const { return m_strLog; }

private:
    bool Run(const QString& program, const QStringList& arguments);

    QTemporaryDir m_dir;
    QString m_strBin;
    int m_nPort = 0;
    QString m_strPassword; // the administrator's
    bool m_bRunning = false;
    QString m_strLog;
};
