#include "windows/entry/tluruxianshi.h"

#include "windows/app/forms.h"
#include "windows/app/messages.h"
#include "engine/db/database.h"
#include "windows/entry/tluru.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

void recolour(QPalette::ColorRole role, const QString& word)
{
    const auto colour = Tluruxianshi::colourOf(word);
    if (colour && Forms::luru)
        Forms::luru->setGridColour(role, *colour);
}

} // namespace

Tluruxianshi::Tluruxianshi() : Form(QStringLiteral("录入显示设置"))
{
    auto* lay = new QVBoxLayout(this);
    GroupBox1 = new QGroupBox("显示设置", this);
    GroupBox1->setObjectName("GroupBox1");
    auto* grid = new QGridLayout(GroupBox1);
    Label6 = Ui::label("字号", GroupBox1, "Label6");
    Edit5 = Ui::edit("17", GroupBox1, "Edit5");
    Label12 = Ui::label("字的颜色", GroupBox1, "Label12");
    ComboBox2 = new QComboBox(GroupBox1);
    ComboBox2->setObjectName("ComboBox2");
    ComboBox2->addItems({"黑", "白", "黄", "蓝", "红", "绿", ""});
    Label14 = Ui::label("背景颜色", GroupBox1, "Label14");
    ComboBox1 = new QComboBox(GroupBox1);
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->addItems({"黑", "白", "黄", "蓝", "红", "绿"});
    ComboBox2->setCurrentText("黑");
    ComboBox1->setCurrentText("白");
    grid->addWidget(Label6, 0, 0);
    grid->addWidget(Edit5, 0, 1);
    grid->addWidget(Label12, 1, 0);
    grid->addWidget(ComboBox2, 1, 1);
    grid->addWidget(Label14, 2, 0);
    grid->addWidget(ComboBox1, 2, 1);
    lay->addWidget(GroupBox1);
    setFixedSize(240, 170);

    Ui::connectHandler(Edit5, &QLineEdit::textChanged, this, &Tluruxianshi::Edit5Change);
    Ui::connectHandler(ComboBox2, &QComboBox::currentIndexChanged, this, &Tluruxianshi::ComboBox2Change);
    Ui::connectHandler(ComboBox1, &QComboBox::currentIndexChanged, this, &Tluruxianshi::ComboBox1Change);
}

std::optional<QColor> Tluruxianshi::colourOf(const QString& word)
{
    static const QList<std::pair<QString, QColor>> words{
        {"黑", QColor(0, 0, 0)},     {"白", QColor(255, 255, 255)}, {"黄", QColor(255, 255, 0)},
        {"蓝", QColor(0, 0, 255)},   {"红", QColor(255, 0, 0)},     {"绿", QColor(192, 220, 192)},
    };
    for (const auto& [w, c] : words)
        if (w == word)
            return c;
    return std::nullopt;
}

void Tluruxianshi::Edit5Change()
{
    // A field emptied to type a new size waits for the digits.
    if (Edit5->text().trimmed().isEmpty())
        return;
    const qint64 size = Ui::intOf(Edit5, "字号");
    if (size < 1 || size > 200)
        throw Db::InputError(QStringLiteral("“字号”必须在1到200之间，现在是“%1”").arg(Edit5->text()));
    if (Forms::luru)
        Forms::luru->setGridFontSize(int(size));
}

void Tluruxianshi::ComboBox2Change()
{
    recolour(QPalette::Text, ComboBox2->currentText());
}

void Tluruxianshi::ComboBox1Change()
{
    recolour(QPalette::Base, ComboBox1->currentText());
}
