#include "users/LiveWatch.h"

#include "platform/Dao.h"
#include "users/Session.h"

#include <QSqlDriver>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Channel = u"qe_live"_s;

} // namespace

CLiveWatch::CLiveWatch(const CSession& session, int pollMs, QObject* parent)
    : QObject(parent), m_session(session)
{
    m_poll.setInterval(pollMs);
    connect(&m_poll, &QTimer::timeout, this, [this] { Read(); });
    m_woken.setSingleShot(true);
    m_woken.setInterval(200);
    connect(&m_woken, &QTimer::timeout, this, [this] { Read(); });
}

CLiveWatch::~CLiveWatch()
{
    Listen(false);
}

void CLiveWatch::Start(std::function<void()> read)
{
    m_read = std::move(read);
    Listen(true);
    m_poll.start();
    Read();
}

void CLiveWatch::Stop()
{
    Listen(false);
    m_poll.stop();
    m_woken.stop();
}

void CLiveWatch::Listen(bool on)
{
    CDaoDatabase* db = m_session.Database();
    if (!db || !db->IsPostgres() || on == m_bListening)
        return;
    QSqlDriver* driver = db->Connection().driver();
    if (on) {
        // The payload is empty: whoever listens learns only that something
        // changed, and reads what the rights allow.
        m_bListening = driver->subscribeToNotification(Channel);
        if (m_bListening)
            connect(driver, &QSqlDriver::notification, this, [this](const QString& name) {
                if (name != Channel)
                    return;
                ++m_nNotices;
                if (!m_woken.isActive())
                    m_woken.start();
            });
    } else {
        driver->unsubscribeFromNotification(Channel);
        disconnect(driver, &QSqlDriver::notification, this, nullptr);
        m_bListening = false;
    }
}

void CLiveWatch::Read()
{
    if (!m_read)
        return;
    if (m_bReading) {
        m_bReadAgain = true;
        return;
    }
    m_bReading = true;
    m_read();
}

void CLiveWatch::Answered()
{
    m_bReading = false;
    if (m_bReadAgain) {
        m_bReadAgain = false;
        Read();
    }
}
