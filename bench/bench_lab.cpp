// A computer lab at the bell: many copies of the program log in and store a
// result at the same moment against one database, and nothing may be lost
// or stored twice.
//   qe_bench_lab run TARGET CLIENTS ROUNDS USERS SCORES
//       makes the database (TARGET: a SQLite file, or a PostgreSQL cluster
//       on which a database of its own is made) with USERS pupils, the
//       first CLIENTS of them "lab<i>" with password "pw<i>", and SCORES
//       scores; starts CLIENTS clients, gives them the start signal ROUNDS
//       times, waits for their reports and checks every stored row; prints
//       one line "lab key=value ...".
//   qe_bench_lab fill TARGET USERS SCORES
//       makes a database (a new SQLite file, or an empty PostgreSQL
//       database) with the super user admin (password admin), USERS pupils
//       and SCORES scores, for the program itself to be measured on.
//   qe_bench_lab client TARGET ID ROUNDS
//       one headless copy of the program (offscreen, the scripted platform
//       in place of the person): it opens the database as the program does
//       and says "ready". Each round then takes four signals ("go" lines on
//       its input), each answered by one line: the login dialog opens; OK is
//       pressed as pupil lab<ID>; the result dialog of an English practice
//       opens; OK is pressed. The last line reports how long each step took.
// All copies share this machine's cores, while a lab's machines have their
// own: the dialogs are therefore opened first and their OK pressed on a
// signal of its own, so that the OKs, which reach the database, meet at the
// same moment without the opening of fifty dialogs between them.
#include "attempts/Attempt.h"
#include "bench/BenchData.h"
#include "platform/Dao.h"
#include "platform/DaoSql.h"
#include "platform/ScriptedPlatform.h"
#include "practice/PracticeState.h"
#include "practice/ResultDlg.h"
#include "users/Accounts.h"
#include "users/CurrentUser.h"
#include "users/Database.h"
#include "users/DatabaseSetup.h"
#include "users/LoginDlg.h"
#include "users/Session.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHash>
#include <QLineEdit>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int FirstSeconds = 100; // the time stored by round r is FirstSeconds + r

QString StudentNo(int id)
{
    return QString::number(2003000 + id);
}

double Ms(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// The least a login needs: the pupil's row found by its index and the
// password checked, as the engine checks it (the hash on a file, the
// server's own check of the account's password on a server).
void LoginFloor(CDaoDatabase& db, const QString& name, const QString& password)
{
    QSqlQuery query(db.Connection());
    query.prepare(u"SELECT qe_key, password FROM \"user\" WHERE name = ?"_s);
    query.addBindValue(name);
    if (!query.exec() || !query.next())
        throw CDaoException(u"the floor found no row of %1"_s.arg(name));
    if (!Accounts::SignIn(db, false, query.value(0).toLongLong(), query.value(1).toString(),
                          password))
        throw CDaoException(u"the floor's password check failed"_s);
    if (db.IsPostgres())
        Accounts::SignOut(db);
}

// The least a store needs: the same score row, attempt and mistakes as the
// program stores, by the pupil's own session, of statements prepared before
// the bell: in a file its rows in one transaction; on a server, where a
// pupil writes nothing but through the server's function, one bare call of
// that function with the same cells. Its score rows are of the digits
// (数字测试), which the lab's checks leave out.
const QString FloorKind = QStringLiteral("数字测试");

// A screen of the English practice and what the client typed of it.
QStringList Cells(int n, bool bText)
{
    QStringList cells;
    for (int i = 0; i < n; ++i) {
        const QChar ch(u'a' + i % 26);
        cells.append(bText ? QString(ch) : QString::number(ch.unicode(), 16));
    }
    return cells;
}

class CStoreFloor
{
    Q_DISABLE_COPY_MOVE(CStoreFloor)

public:
    CStoreFloor(CDaoDatabase& db, const QString& name, const QString& password) : m_db(db)
    {
        if (db.IsPostgres()) {
            QSqlQuery user(db.Connection());
            user.prepare(u"SELECT qe_key, password FROM \"user\" WHERE name = ?"_s);
            user.addBindValue(name);
            if (!user.exec() || !user.next() ||
                !Accounts::SignIn(db, false, user.value(0).toLongLong(), user.value(1).toString(),
                                  password))
                throw CDaoException(u"the store floor could not sign in as %1"_s.arg(name));
        }
        if (db.IsPostgres()) {
            m_server =
                Prepare(u"SELECT score_key FROM qe_store_practice(113, ?::text[], ?::text[], "
                        "?::text[], ?::text[], ?, ?, 0, 1, 'number.txt', '', 0, 0, 0, 0, "
                        "-1, -1)"_s);
            return;
        }
        m_score = Prepare(u"INSERT INTO score (name, student_no, score_type, number_speed, "
                          "seconds, accuracy) VALUES (?, ?, ?, ?, ?, ?) RETURNING qe_key"_s);
        m_attempt = Prepare(
            u"INSERT INTO attempt (score_key, user_key, user_name, class_name, student_no, "
            "kind, text_file, text_hash, started_at, ended_at, elapsed_ms, typed_units, "
            "correct_units, backspaces, end_reason, key_median_ms, key_spread_ms, key_presses, "
            "backspace_presses) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) RETURNING id"_s);
        m_mistakes = Prepare(u"INSERT INTO attempt_mistake (attempt_id, position, user_key, kind, "
                             "expected, typed) VALUES "_s +
                             QStringList(5, u"(?, ?, ?, ?, ?, ?)"_s).join(u", "_s));
    }
    ~CStoreFloor()
    {
        m_server.reset();
        m_score.reset();
        m_attempt.reset();
        m_mistakes.reset();
        if (m_db.IsPostgres())
            Accounts::SignOut(m_db);
    }

    void Store(const CCurrentUser& user, int typed)
    {
        if (m_server) {
            Bind(*m_server, {DaoSql::TextArrayLiteral(Cells(1288, false)),
                             DaoSql::TextArrayLiteral(Cells(1288, true)),
                             DaoSql::TextArrayLiteral(Cells(typed, false)),
                             DaoSql::TextArrayLiteral(Cells(typed, true)), 100, 100000});
            ReturnedKey(*m_server);
            return;
        }
        QSqlQuery begin(m_db.Connection());
        Run(begin, m_db.IsPostgres() ? u"BEGIN"_s : u"BEGIN IMMEDIATE"_s);
        Bind(*m_score, {user.Name, user.StudentNo, FloorKind, 3, 100, 100});
        const qint64 scoreKey = ReturnedKey(*m_score);
        const QString now = QDateTime::currentDateTime().toString(u"yyyy-MM-dd HH:mm:ss.zzz"_s);
        Bind(*m_attempt,
             {scoreKey, user.RowKey, user.Name, user.Class, user.StudentNo, 112, u"english.txt"_s,
              QString(64, u'0'), now, now, 100000, typed, typed, 0, 0, 0, 0,
              QVariant(QMetaType::fromType<int>()), QVariant(QMetaType::fromType<int>())});
        const qint64 attemptId = ReturnedKey(*m_attempt);
        QVariantList mistakes;
        for (int i = 0; i < 5; ++i)
            mistakes << attemptId << i * 7 << user.RowKey << 112 << u"a"_s << u"s"_s;
        Bind(*m_mistakes, mistakes);
        if (!m_mistakes->exec())
            throw CDaoException(m_mistakes->lastError().text());
        QSqlQuery commit(m_db.Connection());
        Run(commit, u"COMMIT"_s);
    }

private:
    std::unique_ptr<QSqlQuery> Prepare(const QString& sql)
    {
        auto query = std::make_unique<QSqlQuery>(m_db.Connection());
        if (!query->prepare(sql))
            throw CDaoException(query->lastError().text());
        return query;
    }
    static void Run(QSqlQuery& query, const QString& sql)
    {
        if (!query.exec(sql))
            throw CDaoException(query.lastError().text());
    }
    static void Bind(QSqlQuery& query, const QVariantList& values)
    {
        for (int i = 0; i < values.size(); ++i)
            query.bindValue(i, values[i]);
    }
    static qint64 ReturnedKey(QSqlQuery& query)
    {
        if (!query.exec() || !query.next())
            throw CDaoException(query.lastError().text());
        const qint64 key = query.value(0).toLongLong();
        query.finish();
        return key;
    }

    CDaoDatabase& m_db;
    std::unique_ptr<QSqlQuery> m_server;
    std::unique_ptr<QSqlQuery> m_score;
    std::unique_ptr<QSqlQuery> m_attempt;
    std::unique_ptr<QSqlQuery> m_mistakes;
};

// --- one client -------------------------------------------------------------

int Client(const QString& target, int id, int rounds)
{
    CScriptedPlatform platform;
    CDaoDatabase::SetTarget(target);
    QElapsedTimer timer;
    timer.start();
    std::unique_ptr<CDaoDatabase> db(OpenUserDatabase({}));
    const double connectMs = Ms(timer);
    if (!db) {
        std::printf("failed connect %s\n", qUtf8Printable(platform.boxes.value(0).text));
        return 1;
    }
    CDaoDatabase* pDB = db.get();
    CSession::Instance().SetDatabaseSource([pDB] { return pDB; });
    std::printf("ready connect_ms=%.2f\n", connectMs);
    std::fflush(stdout);

    const QString name = u"lab%1"_s.arg(id);
    const QString password = u"pw%1"_s.arg(id);
    bool bGo = true;
    // Waits for the next signal, after saying what was done.
    auto step = [&bGo](const char* done) {
        std::printf("%s\n", done);
        std::fflush(stdout);
        std::string line;
        bGo = bGo && std::getline(std::cin, line);
        return bGo;
    };
    std::string line;
    for (int round = 0; round < rounds && std::getline(std::cin, line); ++round) {
        const qsizetype nBoxes = platform.boxes.size();
        double openMs = -1;
        double loginMs = -1;
        double storeMs = -1;
        CurrentUser = CCurrentUser();
        QElapsedTimer opening;
        opening.start();
        platform.DriveDialog([&](QDialog* dialog) {
            openMs = Ms(opening);
            auto* dlg = static_cast<CLoginDlg*>(dialog);
            dlg->Item<QComboBox>(CLoginDlg::IDC_NAME)->setEditText(name);
            dlg->Item<QLineEdit>(CLoginDlg::IDC_PASSWORD)->setText(password);
            step("login-open");
            QElapsedTimer pressed;
            pressed.start();
            dlg->ClickButton(1);
            loginMs = Ms(pressed);
            if (dialog->isVisible())
                dlg->ClickButton(2);
        });
        {
            CLoginDlg login;
            login.DoModal();
        }
        const bool bLoggedIn = CurrentUser.Name == name && CurrentUser.RowKey != 0;

        // An English practice of a minute and more, every key right.
        CurrentPracticeKind = 112;
        TypedCount = CorrectCount = 300 + id;
        ElapsedSeconds = FirstSeconds + round;
        platform.DriveDialog([&](QDialog* dialog) {
            auto* dlg = static_cast<CDialog*>(dialog);
            step("result-open");
            QElapsedTimer pressed;
            pressed.start();
            dlg->ClickButton(1);
            // The store answers from the session's worker: OK comes back
            // enabled (refused) or the dialog closes (stored).
            const QWidget* ok = dlg->GetDlgItem(1);
            BenchData::WaitFor([dlg, ok] { return !dlg->isVisible() || ok->isEnabled(); });
            storeMs = Ms(pressed);
            if (dialog->isVisible())
                dlg->ClickButton(2);
        });
        step("logged-in");
        if (bLoggedIn) {
            // The attempt goes with the score row, as after a real practice.
            CAttempt attempt;
            attempt.nUserKey = CurrentUser.RowKey;
            attempt.strUserName = CurrentUser.Name;
            attempt.strClass = CurrentUser.Class;
            attempt.strStudentNo = CurrentUser.StudentNo;
            attempt.nKind = CurrentPracticeKind;
            attempt.strTextFile = u"english.txt"_s;
            attempt.strTextHash = QString(64, u'0');
            attempt.endedAt = QDateTime::currentDateTime();
            attempt.startedAt = attempt.endedAt.addSecs(-ElapsedSeconds);
            attempt.nElapsedMs = ElapsedSeconds * 1000;
            attempt.nTypedUnits = TypedCount;
            attempt.nCorrectUnits = CorrectCount;
            // What the screen showed and what was typed, every key right,
            // for a server to count.
            attempt.screenCells = Cells(1288, false);
            attempt.screenTexts = Cells(1288, true);
            attempt.typedCells = Cells(TypedCount, false);
            attempt.typedTexts = Cells(TypedCount, true);
            for (int i = 0; i < 5; ++i)
                attempt.mistakes.append({i * 7, u"a"_s, u"s"_s});
            CResultDlg result;
            result.m_pAttempt = &attempt;
            result.DoModal();
        } else {
            step("result-open");
        }
        QStringList errors;
        for (qsizetype i = nBoxes; i < platform.boxes.size(); ++i)
            errors.append(platform.boxes[i].text.simplified());
        const bool bOk = bLoggedIn && errors.isEmpty();
        std::printf("round=%d ok=%d open_ms=%.2f login_ms=%.2f store_ms=%.2f error=%s\n", round,
                    bOk ? 1 : 0, openMs, loginMs, storeMs,
                    qUtf8Printable(errors.join(u" | "_s).replace(u' ', u'_')));
        std::fflush(stdout);

        // The floors, under the same load: at one signal every pupil's login
        // floor, at the next every pupil's store floor.
        const auto timed = [](const auto& work) {
            try {
                QElapsedTimer timer;
                timer.start();
                work();
                return Ms(timer);
            } catch (const CDaoException& e) {
                std::fprintf(stderr, "qe_bench_lab: %s\n", e.what());
                return -1.0;
            }
        };
        std::getline(std::cin, line);
        const double loginFloorMs = timed([&] { LoginFloor(*db, name, password); });
        std::printf("floor-login\n");
        std::fflush(stdout);
        // The store floor's session and statements, made at a signal of
        // their own before its bell.
        std::getline(std::cin, line);
        std::optional<CStoreFloor> floor;
        try {
            floor.emplace(*db, name, password);
        } catch (const CDaoException& e) {
            std::fprintf(stderr, "qe_bench_lab: %s\n", e.what());
        }
        std::printf("floor-ready\n");
        std::fflush(stdout);
        std::getline(std::cin, line);
        const CCurrentUser pupil = CurrentUser;
        const double storeFloorMs = floor ? timed([&] { floor->Store(pupil, 300 + id); }) : -1.0;
        floor.reset();
        std::printf("floors login_ms=%.2f store_ms=%.2f\n", loginFloorMs, storeFloorMs);
        std::fflush(stdout);
    }
    // Ends when the lab says so, not while the others still store.
    std::getline(std::cin, line);
    CSession::Instance().SetDatabaseSource({});
    return 0;
}

// --- the lab ------------------------------------------------------------------

QString Field(const QString& line, const QString& key)
{
    for (const QString& part : line.split(u' ')) {
        if (part.startsWith(key + u'='))
            return part.mid(key.size() + 1);
    }
    return {};
}

double Percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    const size_t rank = size_t(std::ceil(fraction * double(values.size())));
    return values[std::clamp<size_t>(rank, 1, values.size()) - 1];
}

QString ReadLine(QProcess& process)
{
    while (!process.canReadLine()) {
        if (!process.waitForReadyRead(120000))
            return {};
    }
    return QString::fromUtf8(process.readLine()).trimmed();
}

// Counts stored rows per key: a row a client stored must be there once.
QHash<QString, int> StoredRows(CDaoDatabase& db, const QString& sql)
{
    QHash<QString, int> rows;
    QSqlQuery query(db.Connection());
    if (!query.exec(sql))
        throw CDaoException(query.lastError().text());
    while (query.next())
        rows[query.value(0).toString()] += query.value(1).toInt();
    return rows;
}

int Lab(const QString& program, QString target, int clients, int rounds, int users, int scores)
{
    QString dropName;
    QString admin;
    QTemporaryDir dir;
    if (CDaoDatabase::IsServerTarget(target)) {
        admin = target;
        dropName = u"qe_lab_%1"_s.arg(QCoreApplication::applicationPid());
        CDaoDatabase server;
        server.Open(admin);
        server.Execute(u"CREATE DATABASE %1"_s.arg(dropName));
        QUrl url(admin);
        url.setPath(u'/' + dropName);
        target = url.toString();
    } else if (target.isEmpty()) {
        target = dir.filePath(u"user.mdb"_s);
    }
    int status = 0;
    try {
        CreateDatabase(target, u"admin"_s, u"admin"_s, {});
        CDaoDatabase db;
        db.Open(target);
        // The lab's pupils, registered as the program registers them (a
        // hashed password in a file, an account of its own on a server,
        // while a teacher allows it into a class a teacher made; its
        // "创建用户" row is no login of the lab's), then the rest of the
        // school and years of scores.
        if (db.IsPostgres()) {
            db.Execute(u"UPDATE lab_config SET registration_open = 1"_s);
            db.Execute(u"INSERT INTO course_class VALUES ('机房', 0, 100, 0)"_s);
        }
        for (int id = 0; id < clients; ++id) {
            QString historyError;
            if (Accounts::Register(db, u"lab%1"_s.arg(id), u"机房"_s, StudentNo(id),
                                   u"pw%1"_s.arg(id), &historyError) == 0)
                throw CDaoException(u"lab%1 was not registered"_s.arg(id));
            Accounts::SignOut(db);
        }
        db.Execute(u"DELETE FROM loginhistory"_s);
        BenchData::AddUsers(db, std::max(users - clients, 0));
        BenchData::AddScores(db, scores);
        db.Execute(db.IsPostgres() ? u"VACUUM ANALYZE"_s : u"ANALYZE"_s);

        std::vector<std::unique_ptr<QProcess>> processes;
        std::vector<double> connects;
        for (int id = 0; id < clients; ++id) {
            auto process = std::make_unique<QProcess>();
            process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            process->start(program,
                           {u"client"_s, target, QString::number(id), QString::number(rounds)});
            processes.push_back(std::move(process));
        }
        int failed = 0;
        for (auto& process : processes) {
            const QString ready = ReadLine(*process);
            if (!ready.startsWith("ready"_L1)) {
                std::fprintf(stderr, "qe_bench_lab: a client did not start: %s\n",
                             qUtf8Printable(ready));
                ++failed;
                continue;
            }
            connects.push_back(Field(ready, u"connect_ms"_s).toDouble());
        }
        std::vector<double> opens, logins, stores;
        // Tells every client at once; then waits until each has answered.
        auto signal = [&processes] {
            for (auto& process : processes)
                process->write("go\n");
            QStringList answers;
            for (auto& process : processes)
                process->waitForBytesWritten();
            for (auto& process : processes)
                answers.append(ReadLine(*process));
            return answers;
        };
        std::vector<double> loginFloors, storeFloors;
        // The bells come a minute and more apart in a lab; here at once:
        // the server's record of each pupil's last practice is forgotten
        // before each, so that one practice does not overlap the next.
        const auto nextBell = [&db] {
            if (db.IsPostgres())
                db.Execute(u"DELETE FROM pupil_clock"_s);
        };
        for (int round = 0; round < rounds; ++round) {
            nextBell();
            signal();                                // the login dialogs open
            signal();                                // the bell: every pupil presses OK
            signal();                                // the result dialogs open
            for (const QString& report : signal()) { // every pupil presses OK
                if (Field(report, u"ok"_s) != "1"_L1) {
                    ++failed;
                    std::fprintf(stderr, "qe_bench_lab: %s\n", qUtf8Printable(report));
                }
                if (report.isEmpty())
                    continue;
                opens.push_back(Field(report, u"open_ms"_s).toDouble());
                logins.push_back(Field(report, u"login_ms"_s).toDouble());
                stores.push_back(Field(report, u"store_ms"_s).toDouble());
            }
            signal(); // every login floor at once
            signal(); // the store floors made ready
            nextBell();
            for (const QString& report : signal()) { // every store floor at once
                const double login = Field(report, u"login_ms"_s).toDouble();
                const double store = Field(report, u"store_ms"_s).toDouble();
                if (login < 0 || store < 0)
                    ++failed;
                loginFloors.push_back(login);
                storeFloors.push_back(store);
            }
        }
        for (auto& process : processes) {
            process->closeWriteChannel();
            process->waitForFinished(60000);
        }

        // Every login and every result stored exactly once.
        const QHash<QString, int> loginRows = StoredRows(
            db, u"SELECT name, count(*) FROM loginhistory WHERE name LIKE 'lab%' GROUP BY name"_s);
        const int attempts = StoredRows(db, u"SELECT 'all', count(*) FROM attempt a JOIN score s "
                                            "ON s.qe_key = a.score_key WHERE s.name LIKE 'lab%' "
                                            "AND s.score_type <> '%1'"_s.arg(FloorKind))
                                 .value(u"all"_s);
        const QHash<QString, int> scoreRows = StoredRows(
            db, u"SELECT name || '/' || student_no || '/' || seconds, count(*) FROM score "
                "WHERE name LIKE 'lab%' AND score_type <> '%1' "
                "GROUP BY name, student_no, seconds"_s.arg(FloorKind));
        int lost = 0;
        int doubled = 0;
        for (int id = 0; id < clients; ++id) {
            const int nLogins = loginRows.value(u"lab%1"_s.arg(id));
            lost += std::max(rounds - nLogins, 0);
            doubled += std::max(nLogins - rounds, 0);
            for (int round = 0; round < rounds; ++round) {
                const int n = scoreRows.value(
                    u"lab%1/%2/%3"_s.arg(id).arg(StudentNo(id)).arg(FirstSeconds + round));
                lost += n == 0 ? 1 : 0;
                doubled += std::max(n - 1, 0);
            }
        }
        // Each stored score has its attempt.
        const int withoutAttempt = std::max(clients * rounds - attempts, 0);
        int stray = 0; // rows of names the clients never used
        for (auto it = scoreRows.begin(); it != scoreRows.end(); ++it) {
            const int id = it.key().section(u'/', 0, 0).mid(3).toInt();
            if (id >= clients ||
                it.key() !=
                    u"lab%1/%2/%3"_s.arg(id).arg(StudentNo(id)).arg(it.key().section(u'/', 2)))
                stray += it.value();
        }
        std::printf("lab engine=%s clients=%d rounds=%d users=%d scores=%d samples=%zu failed=%d "
                    "lost=%d doubled=%d stray=%d without_attempt=%d connect_max=%.1f open_p50=%.1f "
                    "open_p99=%.1f "
                    "login_p50=%.1f login_p99=%.1f login_max=%.1f store_p50=%.1f store_p99=%.1f "
                    "store_max=%.1f login_floor_p99=%.1f store_floor_p99=%.1f\n",
                    db.IsPostgres() ? "postgresql" : "sqlite", clients, rounds, users, scores,
                    logins.size(), failed, lost, doubled, stray, withoutAttempt,
                    Percentile(connects, 1.0), Percentile(opens, 0.5), Percentile(opens, 0.99),
                    Percentile(logins, 0.5), Percentile(logins, 0.99), Percentile(logins, 1.0),
                    Percentile(stores, 0.5), Percentile(stores, 0.99), Percentile(stores, 1.0),
                    Percentile(loginFloors, 0.99), Percentile(storeFloors, 0.99));
    } catch (const CDaoException& e) {
        std::fprintf(stderr, "qe_bench_lab: %s\n", e.what());
        status = 1;
    }
    if (!dropName.isEmpty()) {
        CDaoDatabase server;
        server.Open(admin);
        server.Execute(u"DROP DATABASE IF EXISTS %1 WITH (FORCE)"_s.arg(dropName));
    }
    return status;
}

int Fill(const QString& target, int users, int scores)
{
    try {
        CreateDatabase(target, u"admin"_s, u"admin"_s, {});
        CDaoDatabase db;
        db.Open(target);
        BenchData::AddUsers(db, users);
        BenchData::AddScores(db, scores);
        db.Execute(db.IsPostgres() ? u"VACUUM ANALYZE"_s : u"ANALYZE"_s);
    } catch (const CDaoException& e) {
        std::fprintf(stderr, "qe_bench_lab: %s\n", e.what());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 5 && args[1] == "client"_L1)
        return Client(args[2], args[3].toInt(), args[4].toInt());
    if (args.size() == 5 && args[1] == "fill"_L1)
        return Fill(args[2], args[3].toInt(), args[4].toInt());
    if (args.size() == 7 && args[1] == "run"_L1)
        return Lab(QCoreApplication::applicationFilePath(), args[2], args[3].toInt(),
                   args[4].toInt(), args[5].toInt(), args[6].toInt());
    std::fprintf(stderr, "usage: qe_bench_lab run TARGET CLIENTS ROUNDS USERS SCORES\n"
                         "       qe_bench_lab fill TARGET USERS SCORES\n"
                         "       qe_bench_lab client TARGET ID ROUNDS\n");
    return 2;
}
