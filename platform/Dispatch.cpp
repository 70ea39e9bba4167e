#include "platform/Dispatch.h"

#include "platform/DaoErrorText.h"
#include "platform/DaoException.h"
#include "platform/Platform.h"

using namespace Qt::Literals::StringLiterals;

void Dispatch(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const CDaoException& e) {
        Platform().MessageBox(nullptr, ExplainDaoError(e.GetErrorMessage()), u"qe"_s,
                              MB_OK | MB_ICONSTOP);
    } catch (const std::exception& e) {
        Platform().MessageBox(nullptr, QString::fromUtf8(e.what()), u"qe"_s, MB_OK | MB_ICONSTOP);
    }
}
