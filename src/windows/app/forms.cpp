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
#include "windows/processing/tc1p.h"
#include "windows/processing/tform1.h"
#include "windows/processing/tform8.h"
#include "windows/entry/tformin.h"
#include "windows/entry/tgai.h"
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

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <functional>

TForm6* Form6 = nullptr;
TFormxxx* Formxxx = nullptr;
TForm2* Form2 = nullptr;
TForm1* Form1 = nullptr;
TFormfx* Formfx = nullptr;
TForm5* Form5 = nullptr;
TForm8* Form8 = nullptr;
Tformin* formin = nullptr;
Tgai* gai = nullptr;
Tluru* luru = nullptr;
Tkaoshimc* kaoshimc = nullptr;
Tpf1* pf1 = nullptr;
Tzuge* zuge = nullptr;
Tmen1* men1 = nullptr;
Tluruxianshi* luruxianshi = nullptr;
Tc1p* c1p = nullptr;
TFormnnn* Formnnn = nullptr;
Tfast* fast = nullptr;
Tbk* bk = nullptr;
Tsearch* search = nullptr;
Tstjf* stjf = nullptr;
Tp* p = nullptr;
Tp4* p4 = nullptr;
Tp5* p5 = nullptr;

Tchaxun* chaxun = nullptr;
Tsinggles* sinngles = nullptr;
Tsppict1* sppict1 = nullptr;
Tsppict2* sppict2 = nullptr;
Tjiaoshigz* jiaoshigz = nullptr;


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

template <class T>
void build(T*& slot)
{
    watch();
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

bool createAll()
{
    build(Form6);
    build(Formxxx);
    if (!Formxxx || !Formxxx->connected()) {
        destroyAll();
        return false;
    }
    build(Form2);
    build(Form1);
    build(Formfx);
    build(Form5);
    build(Form8);
    build(search);
    build(Formnnn);
    build(formin);
    build(chaxun);
    build(sinngles);
    build(p);
    build(p4);
    build(gai);
    build(luru);
    build(stjf);
    build(kaoshimc);
    build(pf1);
    build(sppict1);
    build(sppict2);
    build(jiaoshigz);
    build(fast);
    build(bk);
    build(zuge);
    build(men1);
    build(p5);
    build(luruxianshi);
    build(c1p);
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
    Form6 = nullptr;
    Formxxx = nullptr;
    Form2 = nullptr;
    Form1 = nullptr;
    Formfx = nullptr;
    Form5 = nullptr;
    Form8 = nullptr;
    formin = nullptr;
    gai = nullptr;
    luru = nullptr;
    kaoshimc = nullptr;
    pf1 = nullptr;
    zuge = nullptr;
    men1 = nullptr;
    luruxianshi = nullptr;
    c1p = nullptr;
    Formnnn = nullptr;
    fast = nullptr;
    bk = nullptr;
    search = nullptr;
    stjf = nullptr;
    p = nullptr;
    p4 = nullptr;
    p5 = nullptr;
    chaxun = nullptr;
    sinngles = nullptr;
    sppict1 = nullptr;
    sppict2 = nullptr;
    jiaoshigz = nullptr;
    Db::close();
}

} // namespace Forms
