#include "gui/SpeedPitchDialog.h"

#include "gui/Controls.h"
#include "base/Guard.h"
#include "base/StrToInt.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TForm11::TForm11(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("Form11"));
    setWindowTitle(QStringLiteral("Ton"));
    setFixedSize(290, 170);

    GroupBox1 = placed(new QGroupBox(QStringLiteral("Prozent"), this), QStringLiteral("GroupBox1"),
                      QRect(8, 8, 129, 57));
    Edit1 = placed(new QLineEdit(QStringLiteral("100"), GroupBox1), QStringLiteral("Edit1"),
                  QRect(16, 24, 97, 21));

    GroupBox2 = placed(new QGroupBox(QStringLiteral("Oktave"), this), QStringLiteral("GroupBox2"),
                      QRect(152, 8, 129, 57));
    Button4 = placed(new QPushButton(QStringLiteral("-"), GroupBox2), QStringLiteral("Button4"),
                    QRect(8, 22, 33, 25));
    Label1 = placed(new QLabel(QStringLiteral("0"), GroupBox2), QStringLiteral("Label1"),
                   QRect(44, 16, 41, 37));
    QFont large = Label1->font();
    large.setPixelSize(24);
    large.setBold(true);
    Label1->setFont(large);
    Label1->setAlignment(Qt::AlignCenter);
    Button3 = placed(new QPushButton(QStringLiteral("+"), GroupBox2), QStringLiteral("Button3"),
                    QRect(88, 22, 33, 25));

    GroupBox3 = placed(new QGroupBox(QStringLiteral("Allgemeines"), this),
                      QStringLiteral("GroupBox3"), QRect(8, 72, 273, 49));
    CheckBox1 = placed(new QCheckBox(QStringLiteral("Spur 1"), GroupBox3),
                      QStringLiteral("CheckBox1"), QRect(16, 20, 97, 17));
    CheckBox1->setChecked(true);
    CheckBox2 = placed(new QCheckBox(QStringLiteral("Spur 2"), GroupBox3),
                      QStringLiteral("CheckBox2"), QRect(152, 20, 97, 17));
    CheckBox2->setChecked(true);

    Button1 = placed(new QPushButton(QStringLiteral("OK"), this), QStringLiteral("Button1"),
                    QRect(120, 136, 75, 25));
    Button1->setDefault(true);
    Button2 = placed(new QPushButton(QStringLiteral("Abbrechen"), this), QStringLiteral("Button2"),
                    QRect(206, 136, 75, 25));
    Button2->setAutoDefault(false);

    centerOnScreen(this);

    connectGuarded(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connectGuarded(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
    connectGuarded(Edit1, &QLineEdit::textChanged, this, [this] { Edit1Change(); });
    connectGuarded(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connectGuarded(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

void TForm11::stepOctaves(int step) {
    const int n = StrToInt(Label1->text());
    const int next = n + step;
    if (next < -kMaxOctaves || next > kMaxOctaves)
        return;
    Label1->setText(QString::number(next));
    Edit1->setEnabled(next == 0);
}

void TForm11::Button3Click() {
    stepOctaves(+1);
}

void TForm11::Button4Click() {
    stepOctaves(-1);
}

void TForm11::Edit1Change() {
    const QString text = Edit1->text();
    const bool free = text.isEmpty() || text == QLatin1String("100");
    Button3->setEnabled(free);
    Button4->setEnabled(free);
}

// Closing with the close box is a rejection to the toolkit but acts like OK here: the pitch
// change that follows reads the controls either way.
void TForm11::Button1Click() {
    accept();
}

void TForm11::Button2Click() {
    resetToNeutral();
    reject();
}

void TForm11::resetToNeutral() {
    Label1->setText(QStringLiteral("0"));
    Edit1->setText(QStringLiteral("100"));
    Edit1->setEnabled(true);
}
