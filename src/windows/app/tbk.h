#pragma once
// Backup, restore and the blank database, one window in three modes: the
// backup group or the restore group shows in the same place.

#include "windows/app/form.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressDialog;
class QPushButton;

class Tbk : public Form {
    Q_OBJECT
public:
    enum class Mode { Backup = 0, Restore = 1, Blank = 2 };

    Tbk();
    // What the three menu items of the main window do: set the mode and show.
    void showMode(Mode mode);
    Mode mode() const { return m_mode; }

    QGroupBox* g1;
    QLabel* Label1;
    QLineEdit* Edit1;
    QPushButton* Button1;
    QLabel* Label2;

    QGroupBox* g2;
    QLabel* Label4;
    QLabel* Label5;
    QComboBox* c1;
    QPushButton* Button2;
    QLabel* Label3;

    // The progress window of a copy, titled "正在复制...".
    QProgressDialog* copying;

    static inline const QString kBlankWarning =
        QStringLiteral("恢复为空白数据库之后，一切查询处理都不可用，你需要做的只是增加新的考试");
    static inline const QString kBackedUp = QStringLiteral("备份完毕。");
    static inline const QString kRestored =
        QStringLiteral("还原完毕。本程序将关闭，请重新开启程序，就能利用你所还原的数据库");

public slots:
    void Button1Click(); // 开始备份
    void Button2Click(); // 开始还原

protected:
    void FormShow() override;

private:
    void buildBackupGroup();
    void buildRestoreGroup();
    void buildProgress();
    void connectHandlers();
    void setMode(Mode mode);
    void fillRestoreList();
    // Shows progress of a copy; false when the user cancelled it.
    bool progress(qint64 done, qint64 total);
    Mode m_mode = Mode::Backup;
};
