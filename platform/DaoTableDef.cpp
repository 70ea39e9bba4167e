#include "platform/Dao.h"

CCommitOnThrowTransaction::CCommitOnThrowTransaction(CDaoDatabase* db) : m_pDB(db)
{
    m_pDB->BeginTrans();
}

CCommitOnThrowTransaction::~CCommitOnThrowTransaction()
{
    if (m_bDone)
        return;
    // Reached when the pass throws: what it did so far stays.
    try {
        m_pDB->CommitTrans();
    } catch (const CDaoException&) {
        try {
            m_pDB->Rollback();
        } catch (const CDaoException&) {
        }
    }
}

void CCommitOnThrowTransaction::Commit()
{
    m_bDone = true;
    m_pDB->CommitTrans();
}

CDaoTableDef::CDaoTableDef(CDaoDatabase* db) : m_pDatabase(db) {}

CDaoTableDef::~CDaoTableDef()
{
    Close();
}

void CDaoTableDef::Open(const QString& table)
{
    Close();
    m_pDatabase->Columns(table); // throws when there is no such table
    m_strName = table;
    m_bOpen = true;
}

void CDaoTableDef::Close()
{
    m_bOpen = false;
    m_strName.clear();
}

bool CDaoTableDef::IsOpen() const
{
    return m_bOpen;
}

QString CDaoTableDef::Name() const
{
    return m_strName;
}
