// The page layout dialogs: "Paper Size" (203) and "Measure numbers" (221).
#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <memory>

#include "frontend/bridge/dialog_launchers.h"
#include "frontend/dialogs/engine_dialog.h"

namespace frontend {

namespace {

constexpr int kFieldChars = 31;  // what a number field is read up to

// The number a field's text begins with (its first 31 characters); false keeps the word.
bool read_real_field(const QLineEdit* field, float& word) {
    return ReadReal(field->text().left(kFieldChars), word);
}
// A whole number beyond the word is held to its nearest end.
bool read_int_field(const QLineEdit* field, int32_t& word) {
    return ReadIntSaturating(field->text().left(kFieldChars), word);
}

// Block B words 0-2 carry the custom paper: width, height and the unit flag (1.0 inches,
// 0.0 centimetres).
constexpr int kWidthWord = 0;
constexpr int kHeightWord = 1;
constexpr int kUnitWord = 2;

// IDD 203 "Paper Size". Each size button ends the dialog with its code at once (the size fields
// are not read); "Custom - X, Y - OK" reads them into B 0-1 and ends with 8; "Inches" and "CM"
// set the unit flag. Escape and the close box end with 0, which changes no paper.
class CPaperSizeDlg : public CEngineDialog {
  public:
    explicit CPaperSizeDlg(QWidget* parent)
        : CEngineDialog(203, QStringLiteral("Paper Size"), parent) {
        SetCancelResult(0);
        auto* layout = new QVBoxLayout(this);
        auto* sizes = new QGridLayout;
        const struct {
            int id;
            const char* text;
            int code;
        } buttons[] = {{1104, "Le&tter size", 1}, {1105, "Le&gal size", 2},
                       {1106, "Le&dger size", 3}, {1636, "Dou&ble page", 4},
                       {1108, "A3", 5},           {1109, "A4", 6},
                       {1110, "B4", 7},           {1107, "&No outline", -1}};
        int k = 0;
        for (const auto& b : buttons) {
            auto* button = Named(new QPushButton(QString::fromLatin1(b.text), this), b.id);
            button->setAutoDefault(false);
            connect(button, &QPushButton::clicked, this, [this, code = b.code] { End(code); });
            sizes->addWidget(button, k / 2, k % 2);
            ++k;
        }
        layout->addLayout(sizes);

        SetReal(ExchangeBlock::B, kUnitWord, 1.0f);
        auto* units = new QHBoxLayout;
        auto* inches = Named(new QRadioButton(QStringLiteral("Inches"), this), 1681);
        auto* cm = Named(new QRadioButton(QStringLiteral("CM"), this), 1680);
        inches->setChecked(true);
        connect(inches, &QRadioButton::clicked, this,
                [] { SetReal(ExchangeBlock::B, kUnitWord, 1.0f); });
        connect(cm, &QRadioButton::clicked, this,
                [] { SetReal(ExchangeBlock::B, kUnitWord, 0.0f); });
        units->addWidget(inches);
        units->addWidget(cm);
        units->addStretch();
        layout->addLayout(units);

        auto* form = new QFormLayout;
        width_ = Named(new QLineEdit(FormatReal(Real(ExchangeBlock::B, kWidthWord)), this), 1000);
        height_ = Named(new QLineEdit(FormatReal(Real(ExchangeBlock::B, kHeightWord)), this), 1001);
        form->addRow(QStringLiteral("X"), width_);
        form->addRow(QStringLiteral("Y"), height_);
        layout->addLayout(form);

        auto* custom = Named(new QPushButton(QStringLiteral("Custom - X, Y - OK"), this), 1);
        custom->setDefault(true);
        connect(custom, &QPushButton::clicked, this, [this] {
            float word = Real(ExchangeBlock::B, kWidthWord);
            if (read_real_field(width_, word)) SetReal(ExchangeBlock::B, kWidthWord, word);
            word = Real(ExchangeBlock::B, kHeightWord);
            if (read_real_field(height_, word)) SetReal(ExchangeBlock::B, kHeightWord, word);
            End(8);
        });
        layout->addWidget(custom);
    }

  private:
    QLineEdit* width_ = nullptr;
    QLineEdit* height_ = nullptr;
};

// IDD 221 "Measure numbers", block A 0-10: A 0 first number (1615) and A 7 start bar line
// (1616) with "%d"; A 1-5 the radios 1610-1614 (one group); A 6, 8, 9, 10 the boxes 1608,
// 1632, 1609, 1049. Flags are 0 or 1. OK (1) reads them all and ends 1; Cancel ends 2.
class CMeasureNumbersDlg : public CEngineDialog {
  public:
    explicit CMeasureNumbersDlg(QWidget* parent)
        : CEngineDialog(221, QStringLiteral("Measure numbers"), parent) {
        auto* layout = new QVBoxLayout(this);
        auto* form = new QFormLayout;
        first_ = Named(new QLineEdit(FormatInt(A(0)), this), 1615);
        form->addRow(QStringLiteral("First measure number."), first_);
        layout->addLayout(form);

        const char* radio_texts[] = {"Number at front of lines only.", "Number all bars.",
                                     "Number by 4s.", "Number by 5s.", "Number by 10s."};
        auto* group = new QButtonGroup(this);
        for (int i = 0; i < 5; ++i) {
            radios_[i] =
                Named(new QRadioButton(QString::fromLatin1(radio_texts[i]), this), 1610 + i);
            group->addButton(radios_[i]);
            radios_[i]->setChecked(A(1 + i) != 0);
            layout->addWidget(radios_[i]);
        }

        const struct {
            int id;
            const char* text;
            int word;
        } boxes[] = {{1608, "Skip pickup bar.", 6},
                     {1632, "Repeat 1st ending bar numbers.", 8},
                     {1609, "Put number on 1st bar of page.", 9},
                     {1049, "Continue numbers.", 10}};
        for (int i = 0; i < 4; ++i) {
            boxes_[i] = Named(new QCheckBox(QString::fromLatin1(boxes[i].text), this), boxes[i].id);
            box_words_[i] = boxes[i].word;
            boxes_[i]->setChecked(A(boxes[i].word) != 0);
            layout->addWidget(boxes_[i]);
        }

        auto* start_form = new QFormLayout;
        start_ = Named(new QLineEdit(FormatInt(A(7)), this), 1616);
        start_form->addRow(QStringLiteral("Start at this bar line."), start_);
        layout->addLayout(start_form);

        auto* row = new QHBoxLayout;
        row->addStretch();
        auto* ok = Named(new QPushButton(QStringLiteral("OK"), this), 1);
        auto* cancel = Named(new QPushButton(QStringLiteral("Cancel"), this), 2);
        ok->setDefault(true);
        cancel->setAutoDefault(false);
        row->addWidget(ok);
        row->addWidget(cancel);
        layout->addLayout(row);
        connect(ok, &QPushButton::clicked, this, [this] { OnOk(); });
        connect(cancel, &QPushButton::clicked, this, &CMeasureNumbersDlg::reject);
    }

  private:
    void OnOk() {
        for (int i = 0; i < 5; ++i) A(1 + i) = radios_[i]->isChecked() ? 1 : 0;
        read_int_field(first_, A(0));
        read_int_field(start_, A(7));
        for (int i = 0; i < 4; ++i) A(box_words_[i]) = boxes_[i]->isChecked() ? 1 : 0;
        End(1);
    }

    QLineEdit* first_ = nullptr;
    QLineEdit* start_ = nullptr;
    QRadioButton* radios_[5] = {};
    QCheckBox* boxes_[4] = {};
    int box_words_[4] = {};
};

template <typename D>
DialogClass dialog_class(int idd, const QString& title, std::vector<int> controls) {
    return {idd, title,
            [](QWidget* parent) -> std::unique_ptr<QDialog> { return std::make_unique<D>(parent); },
            std::move(controls)};
}

}  // namespace

void RegisterPageLayoutDialogs() {
    RegisterDialogClass(dialog_class<CPaperSizeDlg>(
        203, QStringLiteral("Paper Size"),
        {1104, 1105, 1106, 1636, 1108, 1109, 1110, 1, 1107, 1681, 1680, 1000, 1001}));
    RegisterDialogClass(dialog_class<CMeasureNumbersDlg>(
        221, QStringLiteral("Measure numbers"),
        {1615, 1610, 1611, 1612, 1613, 1614, 1608, 1616, 1632, 1609, 1049, 1, 2}));
}

}  // namespace frontend
