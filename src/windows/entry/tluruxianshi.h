#pragma once
// Display settings of the entry grid: font size, font colour and background.
// They apply at once and last until the program ends.

#include "windows/app/form.h"

#include <QColor>
#include <optional>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;

class Tluruxianshi : public Form {
    Q_OBJECT
public:
    Tluruxianshi();

    QGroupBox* GroupBox1;
    QLabel* Label6;
    QLineEdit* Edit5;
    QLabel* Label12;
    QComboBox* ComboBox2; // font colour
    QLabel* Label14;
    QComboBox* ComboBox1; // background colour

    // The colour a word names; none for any other text.
    static std::optional<QColor> colourOf(const QString& word);

public slots:
    void Edit5Change();
    void ComboBox2Change();
    void ComboBox1Change();
};
