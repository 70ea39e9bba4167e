#include "platform/Dao.h"

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
