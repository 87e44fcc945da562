// The small engine dialogs: the don't-show-again notice, file-name and text prompts, the text
// file viewer, the IF command, line thickening, circle drawing and the Code 11 conversions.
// Texts travel in MessageLine, FrontEndCommandBuffer and the engine's own buffers, numbers in
// block A; a field that does not begin with a number keeps its word.
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <array>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "engine/edit/tables.h"
#include "engine/edit/text/text_files.h"
#include "frontend/dialogs/input_dialogs.h"

namespace frontend {

void RegisterPromptDialogs();  // prompt_dialogs.cpp

namespace {

QLineEdit* edit(QWidget* parent, int id, const QString& text, int max_chars = 0) {
    auto* e = NamedControl(new QLineEdit(text, parent), id);
    if (max_chars > 0) e->setMaxLength(max_chars);
    e->setMinimumWidth(240);
    return e;
}

// A row of buttons at the bottom, right-aligned; the first is the default.
QHBoxLayout* button_row(std::initializer_list<QPushButton*> buttons) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    bool first = true;
    for (QPushButton* b : buttons) {
        if (first) b->setDefault(true);
        first = false;
        row->addWidget(b);
    }
    return row;
}

// Engine lines hold CR LF line ends; the text boxes show plain line feeds.
QString shown_lines(std::string_view bytes) {
    return FromCp1252(bytes).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}
std::string stored_lines(const QString& text, bool crlf) {
    QString t = text;
    if (crlf) t.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return ToCp1252(t);
}

// -- 240: a notice with "Don't show this message again." --------------------------------------

// MessageLine shown; "O.K." sets A 0 to the box's state (1 ticked), ends 1.
class CDontShowAgainDlg : public CEngineDialog {
  public:
    explicit CDontShowAgainDlg(QWidget* parent) : CEngineDialog(240, QString(), parent) {
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(Named(new QLabel(ShownLine(core::MessageLine), this), 1683));
        auto* box =
            Named(new QCheckBox(QStringLiteral("Don't show this message again."), this), 1002);
        layout->addWidget(box);
        QPushButton* ok = ControlButton(this, 1, QStringLiteral("O.K."));
        layout->addLayout(button_row({ok}));
        connect(ok, &QPushButton::clicked, this, [this, box] {
            A(0) = box->isChecked() ? 1 : 0;
            End(1);
        });
    }
};

// -- 214, 171, 188, 189: name and text prompts ------------------------------------------------

// 214: the EPS file name, whole, both ways (see StoreWholeName).
class CEpsFileNameDlg : public CEngineDialog {
  public:
    explicit CEpsFileNameDlg(QWidget* parent)
        : CEngineDialog(214, QStringLiteral("Type EPS file name."), parent) {
        auto* layout = new QVBoxLayout(this);
        auto* name = edit(this, 1125, ShownWholeName(), kWholeNameChars);
        layout->addWidget(name);
        QPushButton* ok = ControlButton(this, 1, QStringLiteral("OK"));
        QPushButton* cancel = ControlButton(this, 2, QStringLiteral("Cancel"));
        layout->addLayout(button_row({ok, cancel}));
        connect(ok, &QPushButton::clicked, this, [this, name] {
            StoreWholeName(name->text());
            End(1);
        });
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    }
};

// 171 "MACRO": the file name (preset "MACRO") into FrontEndCommandBuffer, the macro's lines
// (CR LF between them) shown from and put back into MessageLine.
class CMacroFileDlg : public CEngineDialog {
  public:
    explicit CMacroFileDlg(QWidget* parent) : CEngineDialog(171, QStringLiteral("MACRO"), parent) {
        auto* layout = new QVBoxLayout(this);
        auto* name = edit(this, 1001, QStringLiteral("MACRO"), kWholeNameChars);
        auto* text = Named(new QPlainTextEdit(shown_lines(core::MessageLine.c_text()), this), 1000);
        layout->addWidget(name);
        layout->addWidget(text);
        QPushButton* ok = ControlButton(this, 1, QStringLiteral("OK"));
        QPushButton* cancel = ControlButton(this, 2, QStringLiteral("Cancel"));
        layout->addLayout(button_row({ok, cancel}));
        connect(ok, &QPushButton::clicked, this, [this, name, text] {
            StoreWholeName(name->text());
            StoreAnswerLine(FromCp1252(stored_lines(text->toPlainText(), true)));
            End(1);
        });
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    }
};

// 188 "Combine Files": the top file's name (MessageLine) and how many to combine
// (FrontEndCommandBuffer); MessageLine is blank while the dialog is open.
class CCombineFilesDlg : public CEngineDialog {
  public:
    explicit CCombineFilesDlg(QWidget* parent)
        : CEngineDialog(188, QStringLiteral("Combine Files"), parent) {
        auto* layout = new QVBoxLayout(this);
        auto* form = new QFormLayout;
        auto* top = edit(this, 1123, ShownLine(core::MessageLine), 511);
        auto* count = edit(this, 1124, ShownLine(core::FrontEndCommandBuffer), 47);
        form->addRow(QStringLiteral("Top file name."), top);
        form->addRow(QStringLiteral("How many to combine."), count);
        layout->addLayout(form);
        core::clear_exchange_text();
        QPushButton* ok = ControlButton(this, 1, QStringLiteral("OK"));
        QPushButton* cancel = ControlButton(this, 2, QStringLiteral("Cancel"));
        layout->addLayout(button_row({ok, cancel}));
        connect(ok, &QPushButton::clicked, this, [this, top, count] {
            StoreAnswerLine(top->text());
            StoreLine(core::FrontEndCommandBuffer, count->text());
            End(1);
        });
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    }
};

// 189 "Decombine File": the group sizes into MessageLine, the top group's output name into
// FrontEndCommandBuffer.
class CDecombineFileDlg : public CEngineDialog {
  public:
    explicit CDecombineFileDlg(QWidget* parent)
        : CEngineDialog(189, QStringLiteral("Decombine File"), parent) {
        auto* layout = new QVBoxLayout(this);
        auto* form = new QFormLayout;
        auto* sizes = edit(this, 1124, QString(), 511);
        auto* name = edit(this, 1123, QString(), kWholeNameChars);
        form->addRow(QStringLiteral("Type number of staves in each group to be processed."), sizes);
        form->addRow(QStringLiteral("Output name for top staff group. "), name);
        layout->addLayout(form);
        QPushButton* ok = ControlButton(this, 1, QStringLiteral("OK"));
        QPushButton* cancel = ControlButton(this, 2, QStringLiteral("Cancel"));
        layout->addLayout(button_row({ok, cancel}));
        connect(ok, &QPushButton::clicked, this, [this, sizes, name] {
            StoreAnswerLine(sizes->text());
            StoreWholeName(name->text());
            End(1);
        });
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    }
};

// -- 150 "Text File" --------------------------------------------------------------------------

// The viewer's text (edit::TextFileBuffer) under the file's name (FrontEndCommandBuffer).
// "&Save As" stores the edited text (at most the viewer's 20,000 bytes) and ends 3; "&Cancel"
// ends 1 and stores nothing.
class CTextFileDlg : public CEngineDialog {
  public:
    explicit CTextFileDlg(QWidget* parent)
        : CEngineDialog(150, QStringLiteral("Text File"), parent) {
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(Named(new QLabel(ShownLine(core::FrontEndCommandBuffer), this), 1676));
        const bool crlf = edit::TextFileBuffer.find("\r\n") != std::string::npos;
        auto* text = Named(new QPlainTextEdit(shown_lines(edit::TextFileBuffer), this), 1000);
        text->setMinimumSize(520, 320);
        layout->addWidget(text);
        QPushButton* save = ControlButton(this, 1551, QStringLiteral("&Save As"));
        QPushButton* cancel = ControlButton(this, 1, QStringLiteral("&Cancel"));
        layout->addLayout(button_row({save, cancel}));
        connect(save, &QPushButton::clicked, this, [this, text, crlf] {
            std::string bytes = stored_lines(text->toPlainText(), crlf);
            if (bytes.size() > static_cast<std::size_t>(edit::kTextFileBytes))
                bytes.resize(edit::kTextFileBytes);
            edit::TextFileBuffer = std::move(bytes);
            End(3);
        });
        connect(cancel, &QPushButton::clicked, this, [this] { End(1); });
    }
};

// -- 222 "IF command" ---------------------------------------------------------------------------

// The fourteen fields of edit::IfDialogFields: the area (the whole field: the engine's preset
// closes its parenthesis in column 43 when the right end has three digits), two rows of three
// AND-conditions each followed by their three OR-alternatives, and the action (23 characters
// each). OK stores them all back; Cancel leaves them.
class CIfCommandDlg : public CEngineDialog {
  public:
    static constexpr int kAreaChars = 47;
    static constexpr int kFieldChars = 23;
    static constexpr std::array<int, 14> kIds = {1617, 1630, 1618, 1619, 1620, 1621, 1622,
                                                 1623, 1624, 1625, 1626, 1627, 1628, 1629};

    explicit CIfCommandDlg(QWidget* parent)
        : CEngineDialog(222, QStringLiteral("IF command"), parent) {
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(new QLabel(FromCp1252(DialogExchangeBlocks.DialogQuestionText), this));
        for (int f = 0; f < 14; ++f) {
            fields_[f] = edit(this, kIds[f], FromCp1252(edit::IfDialogFields(f + 1).c_text()),
                              f == 0 ? kAreaChars : kFieldChars);
            fields_[f]->setMinimumWidth(f == 0 ? 360 : 140);
        }
        auto* grid = new QGridLayout;
        grid->addWidget(new QLabel(QStringLiteral("Area"), this), 0, 0);
        grid->addWidget(fields_[0], 0, 1, 1, 3);
        for (int row = 0; row < 2; ++row) {
            grid->addWidget(new QLabel(QStringLiteral("AND"), this), 1 + 2 * row, 0);
            grid->addWidget(new QLabel(QStringLiteral("OR"), this), 2 + 2 * row, 0);
            for (int c = 0; c < 3; ++c) {
                grid->addWidget(fields_[1 + 6 * row + c], 1 + 2 * row, 1 + c);
                grid->addWidget(fields_[4 + 6 * row + c], 2 + 2 * row, 1 + c);
            }
        }
        grid->addWidget(new QLabel(QStringLiteral("Action"), this), 5, 0);
        grid->addWidget(fields_[13], 5, 1, 1, 3);
        layout->addLayout(grid);
        QPushButton* ok = ControlButton(this, 1, QStringLiteral("OK"));
        QPushButton* cancel = ControlButton(this, 2, QStringLiteral("Cancel"));
        layout->addLayout(button_row({ok, cancel}));
        connect(ok, &QPushButton::clicked, this, [this] {
            for (int f = 0; f < 14; ++f)
                edit::IfDialogFields(f + 1).set(ToCp1252(fields_[f]->text()));
            End(1);
        });
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    }

  private:
    std::array<QLineEdit*, 14> fields_{};
};

// -- 161, 193: drawing --------------------------------------------------------------------------

// 161 "Line thickening": A 0 the thickness units to add, A 1 the percentage of the line for the
// start and end thickness. OK reads both back; Cancel stores nothing and answers 2.
class CLineThickeningDlg : public CEngineDialog {
  public:
    explicit CLineThickeningDlg(QWidget* parent)
        : CEngineDialog(161, QStringLiteral("Line thickening"), parent) {
        auto* layout = new QVBoxLayout(this);
        auto* form = new QFormLayout;
        auto* units = edit(this, 1000, FormatInt(A(0)), 31);
        auto* share = edit(this, 1001, FormatInt(A(1)), 31);
        form->addRow(QStringLiteral("Thickness units to be added."), units);
        form->addRow(QStringLiteral("% of line for start and end thickness"), share);
        layout->addLayout(form);
        QPushButton* ok = ControlButton(this, 1, QStringLiteral("OK"));
        QPushButton* cancel = ControlButton(this, 2, QStringLiteral("Cancel"));
        layout->addLayout(button_row({ok, cancel}));
        connect(ok, &QPushButton::clicked, this, [this, units, share] {
            ReadInt(units->text(), A(0));
            ReadInt(share->text(), A(1));
            End(1);
        });
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    }
};

// 193 "Draw circle": the first and last degree point into MessageLine, the first point into
// FrontEndCommandBuffer, the vector increment into core::CircleVectorIncrement (kept when the
// field holds no number) and the x and y radius into core::CircleRadiusText.
class CDrawCircleDlg : public CEngineDialog {
  public:
    explicit CDrawCircleDlg(QWidget* parent)
        : CEngineDialog(193, QStringLiteral("Draw circle"), parent) {
        auto* layout = new QVBoxLayout(this);
        auto* form = new QFormLayout;
        auto* degrees = edit(this, 1000, QStringLiteral("1 360"), 511);
        auto* start = edit(this, 1001, QStringLiteral("100 100"), 47);
        auto* step = edit(this, 1123, QStringLiteral("3"), 31);
        auto* radius = edit(this, 1124, QStringLiteral("50 50"), 23);
        form->addRow(QStringLiteral("First and last degree point (point 1 is at the top)"),
                     degrees);
        form->addRow(QStringLiteral("x, y of the first point"), start);
        form->addRow(QStringLiteral("Vector increment"), step);
        form->addRow(QStringLiteral("x and y radius"), radius);
        layout->addLayout(form);
        QPushButton* ok = ControlButton(this, 1, QStringLiteral("OK"));
        QPushButton* cancel = ControlButton(this, 2, QStringLiteral("Cancel"));
        layout->addLayout(button_row({ok, cancel}));
        connect(ok, &QPushButton::clicked, this, [this, degrees, start, step, radius] {
            StoreAnswerLine(degrees->text());
            StoreLine(core::FrontEndCommandBuffer, start->text());
            ReadInt(step->text(), core::CircleVectorIncrement);
            StoreLine(core::CircleRadiusText, radius->text());
            End(1);
        });
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    }
};

// -- 236, 216: Code 11 conversion --------------------------------------------------------------

// 236 "Convert Code 11": MessageLine shown; OK puts the new Code 9 file number in A 0 and ends
// 1; "Ignore this Item" ends 3, "Delete this Item" 2; the don't-show box sets A 2 at every
// click. Closed: 3 (ignore), since 2 deletes the item.
class CConvertCode11Dlg : public CEngineDialog {
  public:
    explicit CConvertCode11Dlg(QWidget* parent)
        : CEngineDialog(236, QStringLiteral("Convert Code 11"), parent) {
        SetCancelResult(3);
        auto* layout = new QVBoxLayout(this);
        auto* shown = Named(new QLineEdit(ShownLine(core::MessageLine), this), 1564);
        shown->setReadOnly(true);
        layout->addWidget(shown);
        layout->addWidget(
            new QLabel(QStringLiteral("Type new Code 9 file number from 5000 to 9980."), this));
        auto* number = edit(this, 1662, QStringLiteral("5000"), 31);
        layout->addWidget(number);
        // The number is what the user types: the keyboard starts there, over the preset.
        number->setFocus();
        number->selectAll();
        auto* box =
            Named(new QCheckBox(QStringLiteral("Don't show this message again."), this), 1007);
        layout->addWidget(box);
        connect(box, &QCheckBox::clicked, this, [box] { A(2) = box->isChecked() ? 1 : 0; });
        QPushButton* ok = ControlButton(this, 1, QStringLiteral("OK"));
        QPushButton* ignore = ControlButton(this, 5, QStringLiteral("Ignore this Item"));
        QPushButton* remove = ControlButton(this, 2, QStringLiteral("Delete this Item"));
        layout->addLayout(button_row({ok, ignore, remove}));
        connect(ok, &QPushButton::clicked, this, [this, number] {
            ReadInt(number->text(), A(0));
            End(1);
        });
        connect(ignore, &QPushButton::clicked, this, [this] { End(3); });
        connect(remove, &QPushButton::clicked, this, [this] { End(2); });
    }
};

// 216 "Converting Code 11 to Code 9": the box with MessageLine's text (state A 0), "Use
// contents of this LB file for this Item." (A 1) and the item's name (FrontEndCommandBuffer).
// OK: A 0, A 1 the two states (1 ticked), ends 1; "Set new P5 number." and closing end -1.
class CConvertLibraryItemDlg : public CEngineDialog {
  public:
    explicit CConvertLibraryItemDlg(QWidget* parent)
        : CEngineDialog(216, QStringLiteral("Converting Code 11 to Code 9"), parent) {
        SetCancelResult(-1);
        auto* layout = new QVBoxLayout(this);
        auto* item_row = new QHBoxLayout;
        item_row->addWidget(new QLabel(QStringLiteral("Item"), this));
        auto* item = Named(new QLabel(ShownLine(core::FrontEndCommandBuffer), this), 1675);
        item_row->addWidget(item, 1);
        layout->addLayout(item_row);
        auto* first = Named(new QCheckBox(ShownLine(core::MessageLine), this), 1663);
        first->setChecked(A(0) != 0);
        auto* use_file = Named(
            new QCheckBox(QStringLiteral("Use contents of this LB file for this Item."), this),
            1664);
        use_file->setChecked(A(1) != 0);
        layout->addWidget(first);
        layout->addWidget(use_file);
        QPushButton* ok = ControlButton(this, 1, QStringLiteral("OK"));
        QPushButton* renumber = ControlButton(this, 2, QStringLiteral("Set new P5 number."));
        layout->addLayout(button_row({ok, renumber}));
        connect(ok, &QPushButton::clicked, this, [this, first, use_file, item] {
            A(0) = first->isChecked() ? 1 : 0;
            A(1) = use_file->isChecked() ? 1 : 0;
            StoreLine(core::FrontEndCommandBuffer, item->text());
            End(1);
        });
        connect(renumber, &QPushButton::clicked, this, &QDialog::reject);
    }
};

template <typename D>
void add(int idd, const QString& title, std::vector<int> controls) {
    RegisterDialogClass(
        {idd, title, [](QWidget* p) { return std::make_unique<D>(p); }, std::move(controls)});
}

}  // namespace

void RegisterSmallDialogs() {
    add<CDontShowAgainDlg>(240, QString(), {1683, 1002, 1});
    add<CEpsFileNameDlg>(214, QStringLiteral("Type EPS file name."), {1125, 1});
    add<CMacroFileDlg>(171, QStringLiteral("MACRO"), {1001, 1000, 1});
    add<CCombineFilesDlg>(188, QStringLiteral("Combine Files"), {1123, 1124, 1});
    add<CDecombineFileDlg>(189, QStringLiteral("Decombine File"), {1124, 1123, 1});
    add<CTextFileDlg>(150, QStringLiteral("Text File"), {1000, 1676, 1551, 1});
    add<CIfCommandDlg>(222, QStringLiteral("IF command"),
                       std::vector<int>(CIfCommandDlg::kIds.begin(), CIfCommandDlg::kIds.end()));
    add<CLineThickeningDlg>(161, QStringLiteral("Line thickening"), {1000, 1001, 1, 2});
    add<CDrawCircleDlg>(193, QStringLiteral("Draw circle"), {1000, 1001, 1123, 1124, 1});
    add<CConvertCode11Dlg>(236, QStringLiteral("Convert Code 11"), {1564, 1662, 1, 5, 2, 1007});
    add<CConvertLibraryItemDlg>(216, QStringLiteral("Converting Code 11 to Code 9"),
                                {1663, 1664, 1675, 1, 2});
    RegisterPromptDialogs();
    RegisterInputDialogs();
}

}  // namespace frontend
