#include "res/Resources.h"
#include "tests/TestMain.h"

#include <QSet>

using namespace Qt::Literals::StringLiterals;

namespace {

// The commands of a menu and its pop-ups.
void Commands(const QList<MenuItem>& items, QList<int>& out)
{
    for (const MenuItem& item : items) {
        if (!item.bPopup && !item.bSeparator)
            out.append(item.nCommand);
        Commands(item.children, out);
    }
}

} // namespace

class TestResources : public QObject
{
    Q_OBJECT
private slots:
};

QE_TEST_MAIN(TestResources)
#include "tst_resources.moc"
