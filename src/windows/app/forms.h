#pragma once
// The single instances of the program's windows, built once at start-up in a
// fixed order: the main window first (it declares the data source), then the
// shared data holder (it opens the connection), then every other window.
// Windows reach each other only through these typed pointers and the named
// methods of their classes; a window that this build does not have yet stays null.

#include <QList>

// Every window once, in the order start-up builds them: the main window
// first (it declares the data source), then the shared data holder (it
// opens the connection), then every other window. The declarations, the
// instances, the building and the tearing down all come from this list.
#define GRADEBOOK_FORMS(X)                                                     \
    X(TForm6, Form6)             /* main window */                             \
    X(TFormxxx, Formxxx)         /* shared data holder */                      \
    X(TForm2, Form2)             /* parameter panel */                         \
    X(TForm1, Form1)             /* processing panel */                        \
    X(TFormfx, Formfx)           /* temporary analysis table */                \
    X(TForm5, Form5)             /* temporary total-score statistics */        \
    X(TForm8, Form8)             /* please wait */                             \
    X(Tsearch, search)           /* saved analysis tables */                   \
    X(TFormnnn, Formnnn)         /* viewing code */                            \
    X(Tformin, formin)           /* bulk input */                              \
    X(Tchaxun, chaxun)           /* subject and class query */                 \
    X(Tsinggles, sinngles)       /* single-student record */                   \
    X(Tp, p)                     /* band pie of one class and subject */       \
    X(Tp4, p4)                   /* top-N bars of one class and subject */     \
    X(Tgai, gai)                 /* editing the temporary table */             \
    X(Tluru, luru)               /* grade entry */                             \
    X(Tstjf, stjf)               /* saved total-score statistics */            \
    X(Tkaoshimc, kaoshimc)       /* exam names */                              \
    X(Tpf1, pf1)                 /* roster preparation */                      \
    X(Tsppict1, sppict1)         /* class comparison */                        \
    X(Tsppict2, sppict2)         /* its detail */                              \
    X(Tjiaoshigz, jiaoshigz)     /* class ranking by rate */                   \
    X(Tfast, fast)               /* desktop shortcut */                        \
    X(Tbk, bk)                   /* backup and restore */                      \
    X(Tzuge, zuge)               /* one by one */                              \
    X(Tmen1, men1)               /* about */                                   \
    X(Tp5, p5)                   /* total-score band pie */                    \
    X(Tluruxianshi, luruxianshi) /* entry display settings */                  \
    X(Tc1p, c1p)                 /* re-processing confirmation */               \
    X(Tjintui, jintui)           /* progress between two examinations */        \
    X(Tslips, slips)             /* slips and levels */                         \
    X(Timport, daoru)            /* importing a grade sheet file */

#define GRADEBOOK_DECLARE_FORM_CLASS(Class, name) class Class;
GRADEBOOK_FORMS(GRADEBOOK_DECLARE_FORM_CLASS)
#undef GRADEBOOK_DECLARE_FORM_CLASS
class QWidget;
class Session;

// The instances live in this namespace and are always named with it
// (Forms::luru), so that no local variable can hide one.
namespace Forms {
#define GRADEBOOK_DECLARE_FORM(Class, name) extern Class* name;
GRADEBOOK_FORMS(GRADEBOOK_DECLARE_FORM)
#undef GRADEBOOK_DECLARE_FORM
} // namespace Forms

namespace Forms {
// The working session every window is given; it exists from the start of
// createAll to the end of destroyAll.
Session& session();
// Builds every window. Returns false when the database could not be opened:
// the error has been shown and the program must end.
bool createAll();
// Shows a window and brings it forward; nothing for a window not built.
void showWindow(QWidget* window);
// Every built window in creation order.
const QList<QWidget*>& all();
// The window the teacher worked in last, other than the main window, while
// it is still on screen: what the main window's 打印 menu prints.
QWidget* frontWindow();
// For tests only: a built window by its class name ("Tluru"), or null.
QWidget* window(const char* className);
// Destroys every window and closes the connection (tests build them again).
void destroyAll();
} // namespace Forms
