#include "coaching/WeaknessDlg.h"

#include "attempts/Metrics.h"
#include "classroom/ClassCombo.h"
#include "classroom/ClassNames.h"
#include "coaching/SmartDrill.h"
#include "course/KeyboardView.h"
#include "documents/TableExport.h"
#include "platform/ListCtrl.h"
#include "platform/Platform.h"
#include "res/DialogIds.h"
#include "res/Resources.h"
#include "users/Database.h"
#include "users/DialogAsk.h"
#include "users/ReportList.h"
#include "users/Session.h"

#include <QComboBox>
#include <QLabel>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;
using namespace WeaknessDlgIds;

namespace {

const QList<ListColumn> g_pairColumns = {{u"组合"_s, 50}, {u"次数"_s, 50}, {u"用时"_s, 70}};
const QList<ListColumn> g_costlyColumns = {
    {u"字词"_s, 90},      {u"次数"_s, 40},          {u"每字按键"_s, 60}, {u"每字用时"_s, 65},
    {u"怎么打的"_s, 100}, {u"更省键的打法"_s, 380}, {u"可以少按"_s, 60}};

// The days of the range list, in its order; 0 for all.
constexpr int RangeDays[] = {7, 30, 0};

QString KeyName(const QString& key)
{
    return key == u" "_s ? u"空格"_s : key;
}

} // namespace

CWeaknessDlg::CWeaknessDlg(const CSession& session, qint64 userKey, QWidget* parent)
    : CDialog(IDD, parent), m_session(session), m_nUserKey(userKey)
{
    if (userKey == 0)
        setWindowTitle(u"班级弱项"_s);
}

bool CWeaknessDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_comboRange = Item<QComboBox>(IDC_RANGE);
    m_comboClass = Item<QComboBox>(IDC_CLASS);
    m_listPairs = Item<CListCtrl>(IDC_PAIRS);
    m_listCostly = Item<CListCtrl>(IDC_COSTLY);
    SetUpReportList(m_listPairs, g_pairColumns);
    SetUpReportList(m_listCostly, g_costlyColumns);
    QWidget* place = GetDlgItem(IDC_KEYBOARD);
    auto* layout = new QVBoxLayout(place);
    layout->setContentsMargins(0, 0, 0, 0);
    m_pKeyboard = new CKeyboardView(CKeyboardLayout::Standard(), place);
    layout->addWidget(m_pKeyboard);
    m_comboRange->setCurrentIndex(1);

    const bool bClass = m_nUserKey == 0;
    GetDlgItem(IDC_CLASS_LABEL)->setVisible(bClass);
    m_comboClass->setVisible(bClass);
    GetDlgItem(IDC_EXPORT)->setVisible(bClass);
    if (bClass)
        FillClassCombo(this, m_session, m_comboClass, std::nullopt, [this] { Refresh(); });
    else
        Refresh();
    return true;
}

void CWeaknessDlg::OnCommand(int nID)
{
    switch (nID) {
    case IDC_RANGE:
    case IDC_CLASS:
        Refresh();
        break;
    case IDC_EXPORT:
        ExportTables(this, ExportedTables(), ExportFormat::Xlsx, Title());
        break;
    default:
        break;
    }
}

QString CWeaknessDlg::Title() const
{
    return m_nUserKey != 0 ? u"我的弱项"_s : u"%1班级弱项"_s.arg(m_comboClass->currentText());
}

void CWeaknessDlg::Refresh()
{
    CWeaknessFilter filter;
    filter.nUserKey = m_nUserKey;
    filter.strClass = m_comboClass->currentData().toString();
    const int days = RangeDays[std::clamp(m_comboRange->currentIndex(), 0, 2)];
    if (days > 0)
        filter.since = Platform().CurrentDateTime().date().addDays(1 - days).startOfDay();
    // The answers come in the order asked: the last shown is the last chosen.
    AskForDialog<CWeakness>(
        this, m_session, [filter](CDaoDatabase& own) { return Weakness::Read(own, filter); },
        [this](CWeakness weakness) {
            m_weakness = std::move(weakness);
            m_bShown = true;
            Show();
        },
        [this] {
            if (!m_bShown)
                EndDialog(IDCANCEL_RESULT);
        });
}

void CWeaknessDlg::Show()
{
    ShowKeyboard();
    QList<QStringList> pairs;
    for (const CKeyFigures& pair : std::as_const(m_weakness.slowPairs))
        pairs.append(
            {pair.strKey, QString::number(pair.nPresses), u"%1 毫秒"_s.arg(pair.nMedianMs)});
    m_listPairs->DeleteAllItems();
    m_listPairs->AppendRows(pairs);
    QList<QStringList> costly;
    for (const CCostlyText& text : std::as_const(m_weakness.costly))
        costly.append({text.strText, QString::number(text.nTimes),
                       QString::number(text.dKeysPerChar, 'f', 1),
                       u"%1 毫秒"_s.arg(text.nMsPerChar), text.strKeys, Weakness::CheaperWay(text),
                       QString::number(text.nSavable)});
    m_listCostly->DeleteAllItems();
    m_listCostly->AppendRows(costly);
    const int percent =
        m_weakness.nCommits > 0 ? m_weakness.nByDigit * 100 / m_weakness.nCommits : 0;
    QString summary = m_weakness.IsEmpty()
                          ? u"这段时间还没有记下按键的练习。"_s
                          : u"最费键的字和词(输入法每出一次字算一次):用数字键选字 %1 次,占 %2%"_s
                                .arg(m_weakness.nByDigit)
                                .arg(percent);
    QString tip;
    if (m_weakness.typing.bCommits) {
        summary += u"\n中文练习:"_s + m_weakness.typing.Line();
        for (const QString& name : {u"回改"_s, u"键准"_s, u"选重"_s, u"打词率"_s})
            tip += (tip.isEmpty() ? QString() : u"\n"_s) + name + u":"_s + FigureDefinition(name);
    }
    SetDlgItemText(IDC_SUMMARY, summary);
    GetDlgItem(IDC_SUMMARY)->setToolTip(tip);
}

namespace {
constexpr int TintAfter = 20; // times a key was to be typed
} // namespace

void CWeaknessDlg::ShowKeyboard()
{
    const CKeyboardLayout& layout = m_pKeyboard->Layout();
    QHash<int, double> heat;
    QHash<int, QString> tips;
    for (const CKeyFigures& key : std::as_const(m_weakness.keys)) {
        const int index = layout.StrokeFor(key.strKey[0]).nKey;
        if (index < 0)
            continue;
        const int missed = key.Missed();
        tips[index] =
            u"%1:要打 %2 次,打错 %3 次(%4%),按错成它 %5 次,用时 %6"_s.arg(KeyName(key.strKey))
                .arg(key.nExpected)
                .arg(missed)
                .arg(key.nExpected > 0 ? missed * 100 / key.nExpected : 0)
                .arg(key.nWrong)
                .arg(key.nMedianMs >= 0 ? u"%1 毫秒"_s.arg(key.nMedianMs) : u"—"_s);
        // Heat is what confidence lacks, by the rule of 智能练习; a key is
        // tinted only once it was to be typed often enough that one slip
        // among few is no red key.
        if (key.nExpected >= TintAfter)
            heat[index] = 1.0 - SmartDrill::Confidence(key);
    }
    m_pKeyboard->SetHeat(heat, tips);
}

QList<CExportTable> CWeaknessDlg::ExportedTables() const
{
    // As the window shows them: the keys, the slow pairs and the costly
    // texts with a cheaper way, each a table of its own.
    CExportTable keys;
    keys.strTitle = Title();
    keys.header = {u"键"_s, u"要打次数"_s, u"打错"_s, u"打错(%)"_s, u"按错成它"_s, u"用时(毫秒)"_s};
    QList<CKeyFigures> sorted = m_weakness.keys;
    const auto missRate = [](const CKeyFigures& key) {
        return key.nExpected > 0 ? double(key.Missed()) / key.nExpected : 0.0;
    };
    std::stable_sort(sorted.begin(), sorted.end(), [&](const CKeyFigures& a, const CKeyFigures& b) {
        return missRate(a) > missRate(b);
    });
    for (const CKeyFigures& key : std::as_const(sorted))
        keys.rows.append(
            {CExportCell::Text(KeyName(key.strKey)), CExportCell::Integer(key.nExpected),
             CExportCell::Integer(key.Missed()),
             CExportCell::Integer(key.nExpected > 0 ? key.Missed() * 100 / key.nExpected : 0),
             CExportCell::Integer(key.nWrong),
             key.nMedianMs >= 0 ? CExportCell::Integer(key.nMedianMs) : CExportCell::Text(u"—"_s)});
    CExportTable pairs;
    pairs.strTitle = u"%1:最慢的键对"_s.arg(Title());
    pairs.header = {u"键对"_s, u"次数"_s, u"用时(毫秒)"_s};
    for (const CKeyFigures& pair : m_weakness.slowPairs)
        pairs.rows.append({CExportCell::Text(pair.strKey), CExportCell::Integer(pair.nPresses),
                           CExportCell::Integer(pair.nMedianMs)});
    CExportTable costly;
    costly.strTitle = u"%1:最费键的字和词"_s.arg(Title());
    costly.header = {u"字词"_s,     u"次数"_s,         u"每字按键"_s, u"每字用时(毫秒)"_s,
                     u"怎么打的"_s, u"更省键的打法"_s, u"可以少按"_s};
    for (const CCostlyText& text : m_weakness.costly)
        costly.rows.append({CExportCell::Text(text.strText), CExportCell::Integer(text.nTimes),
                            CExportCell::Number(text.dKeysPerChar, 1),
                            CExportCell::Integer(text.nMsPerChar), CExportCell::Text(text.strKeys),
                            CExportCell::Text(Weakness::CheaperWay(text)),
                            CExportCell::Integer(text.nSavable)});
    QList<CExportTable> tables{keys, pairs, costly};
    const CTypingFigures& typing = m_weakness.typing;
    if (typing.bCommits) {
        CExportTable figures;
        figures.strTitle = u"%1:中文练习的回改、键准、选重和打词率"_s.arg(Title());
        figures.header = {u"回改"_s, u"回改率(%)"_s,    u"键准(%)"_s,
                          u"选重"_s, u"选重(每百字)"_s, u"打词率(%)"_s};
        const bool keyed = typing.nPresses >= 0;
        const auto known = [keyed](const CExportCell& cell) {
            return keyed ? cell : CExportCell::Text(Metrics::NotAvailable);
        };
        figures.rows.append(
            {CExportCell::Integer(typing.nRevised),
             CExportCell::Number(Metrics::RevisedRate(typing.nRevised, typing.nTyped), 1),
             known(CExportCell::Integer(qMax(typing.KeyAccuracy(), 0))),
             known(CExportCell::Integer(typing.nPicks)),
             known(CExportCell::Number(Metrics::PicksPerHundred(typing.nPicks, typing.nCommitTyped),
                                       1)),
             CExportCell::Integer(Metrics::WordRate(typing.nWordChars, typing.nCommitTyped))});
        tables.append(figures);
    }
    return tables;
}
