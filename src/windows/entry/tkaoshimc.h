#pragma once
// Starts a new examination: its name and number become the current ones and
// roster preparation follows.

#include "windows/app/form.h"

class QLabel;
class QLineEdit;
class QPushButton;

class Session;

class Tkaoshimc : public Form {
    Q_OBJECT
public:
    explicit Tkaoshimc(Session& session);

    QLabel* Label2;
    QLineEdit* Edit2; // the examination number
    QLabel* Label3;
    QLabel* Label1;
    QLineEdit* ksmc; // the examination name
    QPushButton* SpeedButton1;

    static inline const QString kPlaceholder = QStringLiteral("必须填");

public slots:
    void SpeedButton1Click();

protected:
    void FormShow() override;
private:
    Session& m_session;
};
