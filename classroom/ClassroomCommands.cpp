#include "classroom/ClassroomCommands.h"

#include "classroom/ClassListDlg.h"
#include "classroom/ImportPreviewDlg.h"
#include "classroom/LoginCardsDlg.h"
#include "platform/Dao.h"
#include "platform/Platform.h"
#include "res/CommandIds.h"
#include "users/Database.h"
#include "users/ServerAccounts.h"
#include "users/Session.h"

using namespace Qt::Literals::StringLiterals;

CClassroomCommands::CClassroomCommands(const CSession& session) : m_session(session)
{
    // Another login may find it otherwise.
    QObject::connect(&session, &CSession::loggedIn, &m_answers,
                     [this] { m_bRegistrationOpen.reset(); });
    const auto teacher = [&session] { return session.IsTeacher(); };
    // A lab's server: a file's registration is the described one, always
    // open, and a file has no machines' lines.
    const auto onServer = [&session] {
        CDaoDatabase* db = session.Database();
        return session.IsTeacher() && db && db->IsPostgres();
    };
    SetCommands({
        {ID_TEACHING_CLASS_LIST, session.Guarded([&session] { CClassListDlg(session).DoModal(); }),
         teacher},
        {ID_TEACHING_IMPORT_PUPILS, [&session] { ImportClassList(session, nullptr); },
         teacher}, // guards itself
        {ID_TEACHING_LOGIN_CARDS,
         session.Guarded([&session] { CLoginCardsDlg(session).DoModal(); }), teacher},
        {ID_TEACHING_REGISTRATION, session.Guarded([this] { ToggleRegistration(); }), onServer,
         [this, onServer] { return onServer() && IsRegistrationOpen(); }},
        {ID_TEACHING_LAB_LINES, session.Guarded([this] { ShowLabLines(); }), onServer},
    });
}

bool CClassroomCommands::IsRegistrationOpen()
{
    if (!m_bRegistrationOpen && !m_bReading) {
        m_bReading = true;
        m_session.Ask<bool>(
            &m_answers, [](CDaoDatabase& own) { return ServerAccounts::IsRegistrationOpen(own); },
            [this](bool bOpen) {
                m_bReading = false;
                m_bRegistrationOpen = bOpen;
            },
            [this](const CDaoException&) { m_bReading = false; }); // asked again
    }
    return m_bRegistrationOpen.value_or(false);
}

void CClassroomCommands::ToggleRegistration()
{
    if (!m_session.Database()->IsPostgres())
        return;
    m_session.Ask<bool>(
        &m_answers,
        [](CDaoDatabase& own) {
            ServerAccounts::SetRegistrationOpen(own, !ServerAccounts::IsRegistrationOpen(own));
            return ServerAccounts::IsRegistrationOpen(own);
        },
        [this](bool bOpen) {
            m_bRegistrationOpen = bOpen;
            SayRegistration(bOpen);
        },
        ReportDaoError);
}

void CClassroomCommands::SayRegistration(bool bOpen)
{
    Platform().MessageBox(
        nullptr,
        bOpen ? u"已允许学生用登录窗口的“新建用户”自己注册。学生只能加入老师已经建立的班级,"
                "用户名不能与别人重复。"_s
              : u"已禁止学生自己注册。学生的帐户由老师在“学生名单”中添加或导入。"_s,
        u"提示"_s, MB_OK | MB_ICONINFORMATION);
}

void CClassroomCommands::ShowLabLines()
{
    if (!m_session.Database()->IsPostgres())
        return;
    using CLines = std::pair<QList<ServerAccounts::CLabLine>, bool>;
    m_session.Ask<CLines>(
        &m_answers,
        [](CDaoDatabase& own) {
            return CLines{ServerAccounts::LabLines(own), ServerAccounts::IsEncrypted(own)};
        },
        [](const CLines& lines) { SayLabLines(lines.first, lines.second); }, ReportDaoError);
}

void CClassroomCommands::SayLabLines(const QList<ServerAccounts::CLabLine>& lines, bool bEncrypted)
{
    QStringList text{u"实验室电脑的连接(%1台):"_s.arg(lines.size())};
    for (const ServerAccounts::CLabLine& line : std::as_const(lines))
        text << u"%1  %2发放  现在%3个连接"_s
                    .arg(line.strName, line.issuedAt.toString(u"yyyy-MM-dd HH:mm"_s))
                    .arg(line.nConnections);
    text << QString()
         << (bEncrypted ? u"这台电脑到服务器的连接已加密(TLS)。"_s
                        : u"注意：这台电脑到服务器的连接没有加密！同一网络上的人能看到成绩、"
                          "考试内容和登录过程。请按说明书给服务器配置 TLS,"
                          "再重新发放各台电脑的连接。"_s)
         << QString()
         << u"重新发放一台电脑的连接(新密码,并断开它现在的连接),或为新电脑发放:"
            "在服务器上用数据库所有者的连接运行\n"
            "qe --database postgresql://所有者:密码@服务器/数据库 --lab-line 电脑名"_s;
    Platform().MessageBox(nullptr, text.join(u'\n'), u"实验室电脑"_s,
                          MB_OK | (bEncrypted ? MB_ICONINFORMATION : MB_ICONEXCLAMATION));
}
