#pragma once
// The single instances of the program's windows, built once at start-up in a
// fixed order: the main window first (it declares the data source), then the
// shared data holder (it opens the connection), then every other window.
// Windows reach each other only through these typed pointers and the named
// methods of their classes; a window that this build does not have yet stays null.

#include <QList>

class TForm6;
class TFormxxx;
class TForm2;
class TForm1;
class TFormfx;
class TForm5;
class TForm8;
class Tformin;
class Tgai;
class Tluru;
class Tkaoshimc;
class Tpf1;
class Tzuge;
class Tmen1;
class Tluruxianshi;
class Tc1p;
class TFormnnn;
class Tfast;
class Tbk;
class Tsearch;
class Tstjf;
class Tp;
class Tp4;
class Tp5;
class Tchaxun;
class Tsinggles;
class Tsppict1;
class Tsppict2;
class Tjiaoshigz;
class QWidget;


extern TForm6* Form6;
extern TFormxxx* Formxxx;
extern TForm2* Form2;
extern TForm1* Form1;
extern TFormfx* Formfx;
extern TForm5* Form5;
extern TForm8* Form8;
extern Tformin* formin;
extern Tgai* gai;
extern Tluru* luru;
extern Tkaoshimc* kaoshimc;
extern Tpf1* pf1;
extern Tzuge* zuge;
extern Tmen1* men1;
extern Tluruxianshi* luruxianshi;
extern Tc1p* c1p;
extern TFormnnn* Formnnn;
extern Tfast* fast;
extern Tbk* bk;
extern Tsearch* search; // saved analysis tables
extern Tstjf* stjf;     // saved total-score statistics
extern Tp* p;           // band pie of one class and subject
extern Tp4* p4;         // top-N bars of one class and subject
extern Tp5* p5;         // total-score band pie

extern Tchaxun* chaxun;
extern Tsinggles* sinngles;
extern Tsppict1* sppict1;
extern Tsppict2* sppict2;
extern Tjiaoshigz* jiaoshigz;


namespace Forms {
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
