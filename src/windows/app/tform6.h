#pragma once
// The main window: a picture menu with eight click areas and the menu bar.
// It owns the shared query that the entry grid and the runs re-point, the
// object of the working grade table and the object of the check table.

#include "engine/db/gridmodel.h"
#include "engine/db/table.h"

#include <QMainWindow>
#include <QRect>
#include <functional>

class QAction;

// The drawn picture; a click inside one of the areas triggers its action.
class MenuPicture : public QWidget {
    Q_OBJECT
public:
    struct Area {
        QString label;
        QRect rect;
        std::function<QWidget*()> target; // the window the area opens, for greying; empty: always ready
        QAction* action = nullptr;
    };
    explicit MenuPicture(QWidget* parent);
    void setAreas(QList<Area> areas);
    const QList<Area>& areas() const { return m_areas; }
    // The area under a point of the window's client area, or -1.
    int areaAt(const QPoint& p) const;
    static QPixmap draw(const QList<Area>& areas);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;

private:
    QList<Area> m_areas;
    QPixmap m_picture;
};

class Session;

class TForm6 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm6(Session& session);
    void FormCreate();
    // Called when every window is built: areas and items of missing windows grey out.
    void windowsBuilt();

    MenuPicture* picture;
    Db::GridModel* Query1;        // the shared query, "select * from cj  " at start
    Db::Table Table1{"cj"};       // the working grade table
    Db::Table check{"check"};

    // Menu items by caption, for the windows that switch them.
    QAction* item(const QString& caption) const;

    static constexpr int kClientWidth = 749;
    static constexpr int kClientHeight = 280;
    static inline const QRect kMaximisedGeometry{30, 80, 757, 322};

public slots:
    void enterGradeEntry();
    void showBackup(int mode);
    // 输出: the current examination's tables as a workbook, the grade table as dBASE.
    void exportWorkbook();
    void exportDbf();
    // 打印: the front window's table or chart, previewed and printed, or as PDF.
    void printFront(bool pdf);

protected:
    void closeEvent(QCloseEvent* e) override;
    void changeEvent(QEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    Session& m_session;
    void buildMenu();
    // An action whose handler runs through the program's error boundary.
    QAction* handler(const QString& caption, std::function<void()> action);
    QList<QAction*> m_items;
    QList<std::pair<QAction*, std::function<QWidget*()>>> m_targets;
    bool m_placing = false;
    bool m_centred = false;
};
