#include "windows/app/forms.h"

#include "windows/app/form.h"
#include "windows/app/messages.h"
#include "windows/app/tform6.h"
#include "windows/app/tformxxx.h"
#include "windows/app/tmen1.h"
#include "windows/app/tform2.h"
#include "windows/app/tbk.h"
#include "windows/app/tfast.h"
#include "windows/app/tformnnn.h"
#include "engine/db/database.h"
#include "engine/session/session.h"
#include "windows/processing/tc1p.h"
#include "windows/processing/tform1.h"
#include "windows/processing/tform8.h"
#include "windows/entry/tformin.h"
#include "windows/entry/tgai.h"
#include "windows/entry/timport.h"
#include "windows/entry/tkaoshimc.h"
#include "windows/entry/tluru.h"
#include "windows/entry/tluruxianshi.h"
#include "windows/entry/tpf1.h"
#include "windows/entry/tzuge.h"
#include "windows/charts/tsppict1.h"
#include "windows/charts/tsppict2.h"
#include "windows/reports/tchaxun.h"
#include "windows/reports/tform5.h"
#include "windows/reports/tformfx.h"
#include "windows/reports/tsearch.h"
#include "windows/reports/tstjf.h"
#include "windows/charts/tp.h"
#include "windows/charts/tp4.h"
#include "windows/charts/tp5.h"
#include "windows/reports/tjiaoshigz.h"
#include "windows/reports/tsinggles.h"
#include "windows/reports/tjintui.h"
#include "windows/reports/tslips.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <functional>
#include <type_traits>

namespace Forms {
#define GRADEBOOK_DEFINE_FORM(Class, name) Class* name = nullptr;
GRADEBOOK_FORMS(GRADEBOOK_DEFINE_FORM)
#undef GRADEBOOK_DEFINE_FORM
} // namespace Forms

namespace {

// Follows which window was activated last.
class ActivationWatch : public QObject {
public:
    QPointer<QWidget> last;

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::WindowActivate && o->isWidgetType()) {
            auto* w = static_cast<QWidget*>(o);
            // Only the program's own windows: a message box or a dialog is not printed.
            if (w->isWindow() && qobject_cast<Form*>(w))
                last = w;
        }
        return false;
    }
};

ActivationWatch& watch()
{
    static ActivationWatch* w = [] {
        auto* a = new ActivationWatch;
        qApp->installEventFilter(a);
        return a;
    }();
    return *w;
}

// Every built window in creation order, so that they can be destroyed again.
QList<QWidget*>& built()
{
    static QList<QWidget*> list;
    return list;
}

Session*& sessionSlot()
{
    static Session* s = nullptr;
    return s;
}

// A window that works on the session is given it.
template <class T>
void build(T*& slot)
{
    watch();
    if constexpr (std::is_constructible_v<T, Session&>)
        slot = new T(*sessionSlot());
    else
        slot = new T();
    built().append(slot);
    // An error in a window's on-create step is shown, and start-up goes on.
    Msg::guard([&] { slot->FormCreate(); });
}

} // namespace

namespace Forms {

QWidget* window(const char* className)
{
    for (QWidget* w : built())
        if (qstrcmp(w->metaObject()->className(), className) == 0)
            return w;
    return nullptr;
}

void showWindow(QWidget* w)
{
    if (!w)
        return;
    w->show();
    w->raise();
    w->activateWindow();
}

const QList<QWidget*>& all()
{
    return built();
}

QWidget* frontWindow()
{
    QWidget* w = watch().last;
    return w && w->isVisible() ? w : nullptr;
}

Session& session()
{
    Q_ASSERT(sessionSlot());
    return *sessionSlot();
}

bool createAll()
{
    delete sessionSlot();
    sessionSlot() = new Session;
    bool connected = true;
    auto step = [&connected](auto*& slot) {
        if (!connected)
            return;
        build(slot);
        // The shared data holder opens the connection: without it nothing
        // else is built, and with it the session reads where the work stands.
        if constexpr (std::is_same_v<std::remove_reference_t<decltype(slot)>, TFormxxx*>) {
            connected = slot && slot->connected();
            if (connected)
                Msg::guard([] { sessionSlot()->load(); });
        }
    };
#define GRADEBOOK_BUILD_FORM(Class, name) step(name);
    GRADEBOOK_FORMS(GRADEBOOK_BUILD_FORM)
#undef GRADEBOOK_BUILD_FORM
    if (!connected) {
        destroyAll();
        return false;
    }
    if (Form6)
        Form6->windowsBuilt();
    return true;
}

void destroyAll()
{
    auto& list = built();
    for (auto it = list.rbegin(); it != list.rend(); ++it)
        delete *it;
    list.clear();
#define GRADEBOOK_FORGET_FORM(Class, name) name = nullptr;
    GRADEBOOK_FORMS(GRADEBOOK_FORGET_FORM)
#undef GRADEBOOK_FORGET_FORM
    delete sessionSlot();
    sessionSlot() = nullptr;
    Db::close();
}

} // namespace Forms
