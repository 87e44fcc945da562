// "Print Setup" (IDD 202): how a page is printed or written as PostScript/EPS. It works on
// words 0-23 of exchange blocks A (whole words) and B (reals): block A 0 rotate, 1 header/footer
// mode, 2 freeze offsets, 3 output kind, 4 batch (1 typed names, 2 a list file), 7 mirror,
// 8 resolution, 9 line width, 10 paper, 11 reverse order, 13/14/19 the target flags, 16 fit
// state, 17 freeze name, 18 metric offsets, 20 box unit, 21 one EPS file for a batch; block B
// 0 size factor, 1-2 offsets, 3-4 header and footer offsets, 20-23 the page box (display
// units while the dialog is open, the typed numbers in the box unit once Print ends it).
#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "engine/core/files/document_tables.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "frontend/bridge/display_lists.h"
#include "frontend/dialogs/print_setup_dialogs.h"
#include "output/bounding_box.h"
#include "output/print_parameters.h"
#include "output/tables.h"

namespace frontend {

namespace {

constexpr int kPrint = 1;
constexpr int kCancel = 2;
constexpr int kLoad = 1139, kSave = 1140, kReset = 1143;
constexpr int kRotate = 1081, kMirror = 1086, kBatch = 1141, kReverse = 1144;
constexpr int kFreezeOffsets = 1101, kFreezeName = 1659, kFit = 1631;
constexpr int kNone = 1103, kHeader = 1097, kFooter = 1098, kBoth = 1099;
constexpr int kInches = 1599, kMetric = 1600;
constexpr int kLpt1 = 1002, kUsb = 1003, kFile = 1005;
constexpr int kSingleEps = 1707, kSeparateEps = 1708;
constexpr int kBoxInches = 1603, kBoxCm = 1604, kBoxPoints = 1678;
constexpr int kBoxSave = 1705, kBoxGet = 1704, kBoxOriginal = 1703, kBoxRedraw = 1711;
constexpr int kPaper = 1142;
constexpr int kOutputName = 1135, kParamFile = 1136, kNameList = 1137, kListFile = 1138;
constexpr int kSize = 1084, kOffsetX = 1088, kOffsetY = 1100, kHeaderOffset = 1552,
              kFooterOffset = 1092, kResolution = 1133, kLineWidth = 1090, kHeaderText = 1096;
constexpr int kCorners[4] = {1000, 1001, 1123, 1124};
constexpr int kBoxControls[] = {kBoxInches, kBoxCm, kBoxPoints,   1000,    1001,
                                1123,       1124,   kBoxOriginal, kBoxGet, kBoxSave};

constexpr int kHeaderChars = 17;  // the header text less its NUL
constexpr int kNameChars = core::kOutputTargetChars;
constexpr int kMessageChars = 511;  // MessageLine less its NUL
constexpr int kNumberChars = 31;    // a number field as read
constexpr int kCornerChars = 23;    // a box corner as read
constexpr float kInchesToCm = 2.54f;
constexpr float kRotateUp = 1.3333f;
constexpr float kRotateDown = 0.7500187504687618f;
constexpr float kElevenInches = 44000.0f;  // display units

class CPrintSetupDlg : public CEngineDialog {
  public:
    explicit CPrintSetupDlg(QWidget* parent);
    void reject() override;

  private:
    // Building.
    QPushButton* Button(int id, const char* text);
    QCheckBox* Check(int id, const char* text);
    QRadioButton* Radio(int id, const char* text, QButtonGroup* group);
    QLineEdit* Edit(int id);
    void Build();

    // Controls by id.
    QWidget* W(int id) const { return Control<QWidget>(id); }
    void Enable(std::initializer_list<int> ids, bool on);
    void SetChecked(int id, bool on);
    bool Checked(int id) const;
    // Sets a field; the text is remembered as shown, so that an unedited number field keeps
    // its word exactly instead of its rounded display.
    void SetText(int id, const QString& text);
    bool Edited(int id) const;
    // Reads an edited field into the real v; false when it was not edited or does not read.
    bool ReadEdited(int id, int chars, float& v) const;
    QString Text(int id) const;
    void ShowB(int id, int k, const char* format) { SetText(id, ShowReal(format, b(k))); }

    static float b(int k) { return Real(ExchangeBlock::B, k); }
    static void set_b(int k, float v) { SetReal(ExchangeBlock::B, k, v); }

    // Handlers.
    void Opening();
    void ShowHeaderMode();
    void ShowOutputKind();
    void ShowBox();
    void Collect();
    void OnPrint();
    void OnLoad();
    void OnSave();
    void OnReset();
    void OnRotate();
    void OnFit();
    void OnMeasure(int metric);
    void OnHeaderMode(int mode);
    void OnOutput(int id);
    void SetOutput(int id);
    void OnEps(int id);
    void OnBatch();
    void OnBoxUnit(int unit);
    void OnBoxButton(int id);
    bool AskParamFile();
    void RunParamFile(int32_t mode);

    std::vector<QButtonGroup*> groups_;
    std::map<int, QString> shown_;
    // What Cancel puts back besides the exchange area and the two lines.
    core::FixedText<core::kOutputTargetChars + 1> kept_name_;
    core::FixedText<18> kept_header_;
    int32_t kept_metric_ = 0;
};

CPrintSetupDlg::CPrintSetupDlg(QWidget* parent)
    : CEngineDialog(202, QStringLiteral("Print Setup"), parent),
      kept_name_(core::OutputTargetName),
      kept_header_(output::PrintParameters.header_footer_text),
      kept_metric_(core::MetricFlag) {
    Build();
    Opening();
}

// Contract: Cancel, Escape and the close box also put back the output name, the engine's unit
// and the header text that Load may have changed, and leave no save pending.
void CPrintSetupDlg::reject() {
    core::OutputTargetName = kept_name_;
    output::PrintParameters.header_footer_text = kept_header_;
    core::MetricFlag = kept_metric_;
    output::ParamFileMode = 0;
    CEngineDialog::reject();
}

// -- building ----------------------------------------------------------------------------------

QPushButton* CPrintSetupDlg::Button(int id, const char* text) {
    auto* b = Named(new QPushButton(QString::fromLatin1(text), this), id);
    b->setAutoDefault(false);
    return b;
}

QCheckBox* CPrintSetupDlg::Check(int id, const char* text) {
    return Named(new QCheckBox(QString::fromLatin1(text), this), id);
}

QRadioButton* CPrintSetupDlg::Radio(int id, const char* text, QButtonGroup* group) {
    auto* r = Named(new QRadioButton(QString::fromLatin1(text), this), id);
    group->addButton(r, id);
    return r;
}

QLineEdit* CPrintSetupDlg::Edit(int id) {
    auto* e = Named(new QLineEdit(this), id);
    e->setMaximumWidth(90);
    return e;
}

void CPrintSetupDlg::Build() {
    auto group_of = [this] {
        auto* g = new QButtonGroup(this);
        groups_.push_back(g);
        return g;
    };
    auto* top = new QVBoxLayout(this);
    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);
    top->addLayout(columns);

    // Output.
    auto* output_box = new QGroupBox(QStringLiteral("Output"), this);
    auto* output = new QGridLayout(output_box);
    auto* kinds = group_of();
    output->addWidget(Radio(kLpt1, "PostScript printer (LPT1)", kinds), 0, 0, 1, 2);
    output->addWidget(Radio(kUsb, "PostScript printer (USB)", kinds), 1, 0, 1, 2);
    output->addWidget(Radio(kFile, "File (---.EPS)", kinds), 2, 0, 1, 2);
    auto* name = Named(new QLineEdit(this), kOutputName);
    name->setMaxLength(kNameChars);
    output->addWidget(name, 3, 0, 1, 2);
    output->addWidget(Check(kFreezeName, "Freeze Name"), 4, 0);
    auto* eps = group_of();
    output->addWidget(Radio(kSingleEps, "Single EPS file for all pages", eps), 5, 0, 1, 2);
    output->addWidget(Radio(kSeparateEps, "Separate EPS file for each page", eps), 6, 0, 1, 2);
    left->addWidget(output_box);

    // Size, place and units.
    auto* place_box = new QGroupBox(QStringLiteral("Size and position"), this);
    auto* place = new QGridLayout(place_box);
    place->addWidget(new QLabel(QStringLiteral("Size factor"), this), 0, 0);
    place->addWidget(Edit(kSize), 0, 1);
    place->addWidget(Check(kRotate, "Rotate 90 Deg."), 0, 2);
    place->addWidget(Check(kFit, "Fit to 11\" page"), 1, 2);
    place->addWidget(new QLabel(QStringLiteral("X offset"), this), 1, 0);
    place->addWidget(Edit(kOffsetX), 1, 1);
    place->addWidget(new QLabel(QStringLiteral("Y offset"), this), 2, 0);
    place->addWidget(Edit(kOffsetY), 2, 1);
    place->addWidget(Check(kFreezeOffsets, "Freeze offsets"), 2, 2);
    auto* measures = group_of();
    place->addWidget(Radio(kInches, "Inches", measures), 3, 0);
    place->addWidget(Radio(kMetric, "Metric\n(Centimeters)", measures), 3, 1, 1, 2);
    left->addWidget(place_box);

    // Header and footer.
    auto* header_box = new QGroupBox(QStringLiteral("Header/Footer"), this);
    auto* header = new QGridLayout(header_box);
    auto* modes = group_of();
    header->addWidget(Radio(kNone, "None", modes), 0, 0);
    header->addWidget(Radio(kHeader, "Header", modes), 0, 1);
    header->addWidget(Radio(kFooter, "Footer", modes), 0, 2);
    header->addWidget(Radio(kBoth, "Both", modes), 0, 3);
    header->addWidget(new QLabel(QStringLiteral("Header/Footer\nText"), this), 1, 0);
    auto* text = Named(new QLineEdit(this), kHeaderText);
    text->setMaxLength(kHeaderChars);
    header->addWidget(text, 1, 1, 1, 3);
    header->addWidget(new QLabel(QStringLiteral("Header offset"), this), 2, 0);
    header->addWidget(Edit(kHeaderOffset), 2, 1);
    header->addWidget(new QLabel(QStringLiteral("Footer offset"), this), 2, 2);
    header->addWidget(Edit(kFooterOffset), 2, 3);
    left->addWidget(header_box);

    // Printer.
    auto* printer_box = new QGroupBox(QStringLiteral("Printer"), this);
    auto* printer = new QFormLayout(printer_box);
    printer->addRow(QStringLiteral("Resolution (dpi)"), Edit(kResolution));
    printer->addRow(QStringLiteral("Line width"), Edit(kLineWidth));
    auto* paper = Named(new QComboBox(this), kPaper);
    paper->addItems(
        {QStringLiteral("Letter "), QStringLiteral("Legal "), QStringLiteral("Ledger")});
    printer->addRow(QStringLiteral("Paper"), paper);
    printer->addRow(Check(kMirror, "Mirror Image"));
    right->addWidget(printer_box);

    // Batch printing.
    auto* batch_box = new QGroupBox(QStringLiteral("Batch"), this);
    auto* batch = new QVBoxLayout(batch_box);
    auto* batch_row = new QHBoxLayout;
    batch_row->addWidget(Check(kBatch, "Batch Printing"));
    batch_row->addWidget(Check(kReverse, "Reverse Page Order"));
    batch->addLayout(batch_row);
    batch->addWidget(new QLabel(QStringLiteral("Type List of File Names to Print."), this));
    auto* list = Named(new QPlainTextEdit(this), kNameList);
    list->setMaximumHeight(60);
    batch->addWidget(list);
    batch->addWidget(new QLabel(QStringLiteral("Type Batch_ Printing_ List File Name."), this));
    batch->addWidget(Named(new QLineEdit(this), kListFile));
    right->addWidget(batch_box);

    // Bounding box.
    auto* bbox_box = new QGroupBox(QStringLiteral("Bounding box"), this);
    auto* bbox = new QGridLayout(bbox_box);
    const char* corner_labels[] = {"Left -- X1", "Bottom -- Y1", "Right -- X2", "Top -- Y2"};
    for (int k = 0; k < 4; ++k) {
        bbox->addWidget(new QLabel(QString::fromLatin1(corner_labels[k]), this), k / 2,
                        (k % 2) * 2);
        bbox->addWidget(Edit(kCorners[k]), k / 2, (k % 2) * 2 + 1);
    }
    auto* box_units = group_of();
    bbox->addWidget(Radio(kBoxInches, "Inches", box_units), 2, 0);
    bbox->addWidget(Radio(kBoxCm, "Centimeters", box_units), 2, 1);
    bbox->addWidget(Radio(kBoxPoints, "Points", box_units), 2, 2);
    bbox->addWidget(Button(kBoxSave, "Save Settings"), 3, 0);
    bbox->addWidget(Button(kBoxGet, "Get Saved Settings"), 3, 1);
    bbox->addWidget(Button(kBoxOriginal, "Restore Original"), 3, 2);
    bbox->addWidget(Button(kBoxRedraw, "Reset"), 3, 3);
    right->addWidget(bbox_box);

    // Parameter file and the ending buttons.
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(new QLabel(QStringLiteral("Parameter file"), this));
    auto* file = Named(new QLineEdit(this), kParamFile);
    file->setReadOnly(true);
    bottom->addWidget(file);
    bottom->addWidget(Button(kLoad, "Load"));
    bottom->addWidget(Button(kSave, "Save"));
    bottom->addWidget(Button(kReset, "Reset"));
    bottom->addStretch();
    auto* print = Named(new QPushButton(QStringLiteral("Print"), this), kPrint);
    print->setDefault(true);
    bottom->addWidget(print);
    bottom->addWidget(Button(kCancel, "Cancel"));
    top->addLayout(bottom);

    auto on = [this](int id, auto handler) {
        auto* button = qobject_cast<QAbstractButton*>(W(id));
        connect(button, &QAbstractButton::clicked, this, handler);
    };
    on(kPrint, [this] { OnPrint(); });
    on(kCancel, [this] { reject(); });
    on(kLoad, [this] { OnLoad(); });
    on(kSave, [this] { OnSave(); });
    on(kReset, [this] { OnReset(); });
    on(kRotate, [this] { OnRotate(); });
    on(kFit, [this] { OnFit(); });
    // Each box sets its word from its own state, whatever the word held before.
    on(kFreezeOffsets, [this] { A(2) = Checked(kFreezeOffsets) ? 1 : 0; });
    on(kFreezeName, [this] { A(17) = Checked(kFreezeName) ? 1 : 0; });
    on(kInches, [this] { OnMeasure(0); });
    on(kMetric, [this] { OnMeasure(1); });
    const int header_ids[] = {kNone, kHeader, kFooter, kBoth};
    for (int mode = 0; mode < 4; ++mode) on(header_ids[mode], [this, mode] { OnHeaderMode(mode); });
    for (int id : {kLpt1, kUsb, kFile}) on(id, [this, id] { OnOutput(id); });
    for (int id : {kSingleEps, kSeparateEps}) on(id, [this, id] { OnEps(id); });
    on(kBatch, [this] { OnBatch(); });
    const int unit_ids[] = {kBoxInches, kBoxCm, kBoxPoints};
    for (int unit = 0; unit < 3; ++unit) on(unit_ids[unit], [this, unit] { OnBoxUnit(unit); });
    for (int id : {kBoxSave, kBoxGet, kBoxOriginal, kBoxRedraw})
        on(id, [this, id] { OnBoxButton(id); });
}

// -- control access ----------------------------------------------------------------------------

void CPrintSetupDlg::Enable(std::initializer_list<int> ids, bool on) {
    for (int id : ids) W(id)->setEnabled(on);
}

// Radios of one group may all be cleared: the group stops being exclusive for a clearing. A
// radio checked clears the others of its group, so that one choice shows.
void CPrintSetupDlg::SetChecked(int id, bool on) {
    auto* button = qobject_cast<QAbstractButton*>(W(id));
    QButtonGroup* group = button->group();
    if (group != nullptr && on) {
        for (QAbstractButton* other : group->buttons()) {
            if (other != button) SetChecked(group->id(other), false);
        }
    }
    if (group != nullptr) group->setExclusive(false);
    button->setChecked(on);
    if (group != nullptr) group->setExclusive(true);
}

bool CPrintSetupDlg::Checked(int id) const {
    return qobject_cast<QAbstractButton*>(W(id))->isChecked();
}

void CPrintSetupDlg::SetText(int id, const QString& text) {
    if (auto* line = qobject_cast<QLineEdit*>(W(id))) line->setText(text);
    shown_[id] = text;
}

bool CPrintSetupDlg::Edited(int id) const {
    const auto it = shown_.find(id);
    return it == shown_.end() || it->second != Text(id);
}

bool CPrintSetupDlg::ReadEdited(int id, int chars, float& v) const {
    return Edited(id) && ReadReal(Text(id).left(chars), v);
}

QString CPrintSetupDlg::Text(int id) const {
    if (auto* line = qobject_cast<QLineEdit*>(W(id))) return line->text();
    if (auto* plain = qobject_cast<QPlainTextEdit*>(W(id))) return plain->toPlainText();
    return {};
}

// -- opening and refreshing --------------------------------------------------------------------

// Contract: shows the words (see the file's head), the output name of OutputTargetName and the
// header text of FrontEndCommandBuffer cut at 17 characters. Sets A 3 from the launcher's
// previous output kind (nonzero: the printer, 2: USB) and the box scale from A 20.
void CPrintSetupDlg::Opening() {
    SetChecked(A(21) == 1 ? kSingleEps : kSeparateEps, true);
    SetChecked(A(18) == 0 ? kInches : kMetric, true);
    SetChecked(kRotate, A(0) != 0);
    SetChecked(kMirror, A(7) != 0);
    ShowOutputKind();
    Enable({kSingleEps, kSeparateEps}, false);
    SetChecked(kBatch, A(4) != 0);
    Enable({kNameList, kReverse, kListFile}, A(4) != 0);
    if (A(4) != 0 && A(13) == 0) Enable({kSingleEps, kSeparateEps}, true);
    SetChecked(kReverse, A(11) != 0);
    const int32_t flag = DialogExchangeBlocks.PrintSetupFlag;
    A(3) = flag != 0 ? 1 : 0;
    if (flag == 2) A(3) = 2;
    Enable({kOutputName}, flag == 0);
    if (flag == 0 && A(4) != 0) Enable({kSingleEps, kSeparateEps}, true);

    SetText(kOutputName, FromCp1252(core::OutputTargetName.c_text()));
    ShowB(kSize, 0, "%.4f");
    ShowB(kOffsetX, 1, "%.2f");
    ShowB(kOffsetY, 2, "%.2f");
    SetChecked(kFreezeOffsets, A(2) != 0);
    SetChecked(kFreezeName, A(17) != 0);
    SetChecked(kFit, A(16) == 1);
    ShowB(kHeaderOffset, 3, "%.2f");
    ShowB(kFooterOffset, 4, "%.2f");
    SetText(kResolution, FormatInt(A(8)));
    SetText(kLineWidth, FormatInt(A(9)));
    SetText(kHeaderText, FromCp1252(core::FrontEndCommandBuffer.c_text()).left(kHeaderChars));
    ShowHeaderMode();
    auto* paper = Control<QComboBox>(kPaper);
    paper->setCurrentIndex(A(10) >= 1 && A(10) <= 3 ? A(10) - 1 : -1);
    BoundingBoxUnitScale = BoxUnitScaleOf(A(20));
    ShowBox();
}

// The header/footer radio of A 1 and the fields that mode uses enabled.
void CPrintSetupDlg::ShowHeaderMode() {
    const int ids[] = {kNone, kHeader, kFooter, kBoth};
    for (int id : ids) SetChecked(id, false);
    const int32_t mode = A(1) >= 0 && A(1) <= 3 ? A(1) : 0;
    SetChecked(ids[mode], true);
    Enable({kHeaderOffset}, mode == 1 || mode == 3);
    Enable({kFooterOffset}, mode == 2 || mode == 3);
    Enable({kHeaderText}, mode != 0);
}

// The output radio of the target flags A 13 (printer port), 14 (file), 19 (USB).
void CPrintSetupDlg::ShowOutputKind() {
    for (int id : {kLpt1, kUsb, kFile}) SetChecked(id, false);
    if (A(13) != 0)
        SetChecked(kLpt1, true);
    else if (A(14) != 0)
        SetChecked(kFile, true);
    else if (A(19) != 0)
        SetChecked(kUsb, true);
}

// The box unit radio of A 20 and the corners (display units) divided by the unit's scale.
void CPrintSetupDlg::ShowBox() {
    const int ids[] = {kBoxInches, kBoxCm, kBoxPoints};
    SetChecked(ids[A(20) >= 0 && A(20) <= 2 ? A(20) : 0], true);
    for (int k = 0; k < 4; ++k)
        SetText(kCorners[k], ShowReal("%.2f", b(20 + k) / BoundingBoxUnitScale));
}

// -- Print and its collection ------------------------------------------------------------------

// Contract: reads every control into the words, MessageLine (the batch list), the header text
// (FrontEndCommandBuffer) and OutputTargetName. Batch: a list file name gives A 4 = 2 and the
// name in MessageLine; none gives A 4 = 1 and the typed names, one a line. A field that does
// not read keeps its word; the box corners come back as typed, in the unit of A 20.
void CPrintSetupDlg::Collect() {
    A(21) = Checked(kSeparateEps) ? 0 : 1;
    A(18) = Checked(kMetric) ? 1 : 0;
    A(0) = Checked(kRotate) ? 1 : 0;
    A(7) = Checked(kMirror) ? 1 : 0;
    A(4) = Checked(kBatch) ? 1 : 0;
    if (A(4) != 0) {
        A(11) = Checked(kReverse) ? 1 : 0;
        std::string list = ToCp1252(Text(kListFile).trimmed());
        if (!list.empty()) {
            A(4) = output::kBatchListFile;
        } else {
            list = ToCp1252(Text(kNameList).replace(QLatin1Char('\n'), QStringLiteral("\r\n")));
            A(4) = output::kBatchTyped;
        }
        StoreAnswerBytes(list, kMessageChars);
    }
    const int paper = Control<QComboBox>(kPaper)->currentIndex();
    if (paper >= 0) A(10) = paper + 1;
    ReadInt(Text(kResolution).left(kNumberChars), A(8));
    ReadInt(Text(kLineWidth).left(kNumberChars), A(9));
    const int real_ids[] = {kSize, kOffsetX, kOffsetY, kHeaderOffset, kFooterOffset};
    for (int k = 0; k < 5; ++k) {
        float v = b(k);
        if (ReadEdited(real_ids[k], kNumberChars, v)) set_b(k, v);
    }
    core::FrontEndCommandBuffer.set(ToCp1252(Text(kHeaderText).left(kHeaderChars)));
    core::OutputTargetName.set(ToCp1252(Text(kOutputName).trimmed().left(kNameChars)));
    for (int k = 0; k < 4; ++k) {
        float v = b(20 + k) / BoundingBoxUnitScale;
        ReadEdited(kCorners[k], kCornerChars, v);
        set_b(20 + k, v);
    }
}

void CPrintSetupDlg::OnPrint() {
    Collect();
    if (output::ParamFileMode >= 0) End(kPrint);
}

// -- the parameter file ------------------------------------------------------------------------

// Asks for the parameter file name; false on Cancel.
bool CPrintSetupDlg::AskParamFile() {
    CParamFileNameDlg ask(CParamFileNameDlg::Use::kParamFile, this);
    return ask.exec() != kCancel;
}

// Loads (0) or saves (-1) the parameter file with words 0-23 of both blocks. The engine's
// routine works through CommandLine and ParamBuffer: they come back as they were. A save
// writes the output name as typed.
void CPrintSetupDlg::RunParamFile(int32_t mode) {
    output::PrintIntBlock ints;
    output::PrintRealBlock reals;
    for (int k = 0; k <= 23; ++k) {
        ints(k) = A(k);
        reals(k) = b(k);
    }
    const core::FixedText<512> line = core::CommandLine;
    const auto params = core::ParamBuffer;
    const core::FixedText<512> field = output::OutputNameField;
    output::OutputNameField.set(core::OutputTargetName.c_text());
    output::load_save_print_setup(mode, ints, reals);
    output::OutputNameField = field;
    core::CommandLine = line;
    core::ParamBuffer = params;
    for (int k = 0; k <= 23; ++k) {
        A(k) = ints(k);
        set_b(k, reals(k));
    }
}

// Contract: asks for the file (unless ParamFileMode is 2), loads it into the blocks, the header
// text and the engine's unit, and shows every loaded word, the output kind and paper
// included. Cancel in the prompt changes nothing.
void CPrintSetupDlg::OnLoad() {
    auto* load = Control<QPushButton>(kLoad);
    auto* save = Control<QPushButton>(kSave);
    load->setText(QStringLiteral("LOADED"));
    save->setText(QStringLiteral("Save"));
    if (output::ParamFileMode != 2) {
        output::ParamFileMode = 0;
        if (!AskParamFile()) {
            load->setText(QStringLiteral("Load"));
            return;
        }
    }
    SetText(kParamFile, FromCp1252(output::PrintParameters.print_setup_file_name.c_text()));
    output::ParamFileMode = 0;
    RunParamFile(0);

    ShowB(kSize, 0, "%.4f");
    ShowB(kOffsetX, 1, "%.2f");
    ShowB(kOffsetY, 2, "%.2f");
    SetChecked(kRotate, A(0) != 0);
    SetChecked(kMirror, A(7) != 0);
    SetText(kResolution, FormatInt(A(8)));
    SetText(kLineWidth, FormatInt(A(9)));
    SetChecked(kBatch, A(4) != 0);
    Enable({kNameList, kReverse, kListFile}, A(4) != 0);
    SetChecked(kReverse, A(11) != 0);
    SetChecked(kFreezeOffsets, A(2) != 0);
    SetChecked(kFreezeName, A(17) != 0);
    SetChecked(kFit, A(16) == 1);
    SetChecked(A(18) == 0 ? kInches : kMetric, true);
    ShowB(kHeaderOffset, 3, "%.2f");
    ShowB(kFooterOffset, 4, "%.2f");
    ShowHeaderMode();
    SetText(kHeaderText, FromCp1252(core::FrontEndCommandBuffer.c_text()).left(kHeaderChars));
    // The file's output kind and paper, which the radios and the list must show.
    SetOutput(A(3) == output::kToFile ? kFile : (A(3) == output::kToUsb ? kUsb : kLpt1));
    auto* paper = Control<QComboBox>(kPaper);
    paper->setCurrentIndex(A(10) >= 1 && A(10) <= 3 ? A(10) - 1 : -1);
}

// Contract: asks for the file, collects every control as Print does (the dialog stays open)
// and writes the file. Cancel in the prompt writes nothing and leaves no save pending.
void CPrintSetupDlg::OnSave() {
    auto* load = Control<QPushButton>(kLoad);
    auto* save = Control<QPushButton>(kSave);
    load->setText(QStringLiteral("Load"));
    save->setText(QStringLiteral("SAVED"));
    output::ParamFileMode = -1;
    if (!AskParamFile()) {
        save->setText(QStringLiteral("Save"));
        output::ParamFileMode = 0;
        return;
    }
    SetText(kParamFile, FromCp1252(output::PrintParameters.print_setup_file_name.c_text()));
    Collect();
    // Collect leaves the box as typed; the dialog goes on with display units.
    for (int k = 20; k <= 23; ++k) set_b(k, b(k) * BoundingBoxUnitScale);
    RunParamFile(-1);
    output::ParamFileMode = 0;
}

// Contract: words A 0-14 and B 0-14 to their defaults (B 0 1.0, B 1 0.5, B 2 0.75, A 8 600,
// A 9 4, A 10 1, the rest 0), a blank header text, the output name "LPT1"; shown afresh.
void CPrintSetupDlg::OnReset() {
    for (int k = 0; k <= 14; ++k) {
        A(k) = 0;
        set_b(k, 0.0f);
    }
    core::FrontEndCommandBuffer.set(" ");
    set_b(0, 1.0f);
    set_b(1, 0.5f);
    set_b(2, 0.75f);
    A(8) = 600;
    A(9) = 4;
    A(10) = 1;
    Control<QPushButton>(kLoad)->setText(QStringLiteral("Load"));
    Opening();
    SetText(kParamFile, QStringLiteral(" "));
    SetText(kOutputName, QStringLiteral("LPT1"));
    SetChecked(kNone, true);
    SetChecked(kRotate, false);
    Enable({kFooterOffset, kHeaderOffset, kHeaderText, kNameList, kReverse, kListFile}, false);
}

// -- size, place and units ---------------------------------------------------------------------

// Contract: the box turned on scales the size factor by 1.3333 (a factor of 0 counts as 1.0),
// turned off by the inverse; A 0 follows the box. A box that agrees with A 0 changes nothing.
void CPrintSetupDlg::OnRotate() {
    const bool on = Checked(kRotate);
    if (on && A(0) == 0) {
        A(0) = 1;
        if (b(0) == 0.0f) set_b(0, 1.0f);
        set_b(0, b(0) * kRotateUp);
    } else if (!on && A(0) != 0) {
        set_b(0, b(0) * kRotateDown);
        A(0) = 0;
    }
    SetChecked(kRotate, A(0) != 0);
    ShowB(kSize, 0, "%.4f");
}

// Contract: A 16 follows the box (1 on, 0 off). Turned on, a page box taller than 11 inches makes
// the size factor 44000 / its height; a smaller box changes nothing. Turned off, the size factor
// is 1.0. A box that agrees with A 16 changes nothing.
void CPrintSetupDlg::OnFit() {
    const bool on = Checked(kFit);
    if (!on && A(16) == 1) {
        A(16) = 0;
        set_b(0, 1.0f);
    } else if (on && A(16) != 1) {
        A(16) = 1;
        const float height = b(23) - b(21);
        if (height > kElevenInches) set_b(0, kElevenInches / height);
    }
    SetChecked(kFit, A(16) == 1);
    ShowB(kSize, 0, "%.4f");
}

// Contract: the offsets as typed go over to the other measure (x or / 2.54) when the choice
// changes; A 18 = metric.
void CPrintSetupDlg::OnMeasure(int metric) {
    if (A(18) != metric) {
        for (int k = 1; k <= 2; ++k) {
            float v = b(k);
            if (ReadEdited(k == 1 ? kOffsetX : kOffsetY, kNumberChars, v)) set_b(k, v);
            const double shown = ShortestDecimal(b(k));
            set_b(k, static_cast<float>(metric == 1 ? shown * 2.54 : shown / 2.54));
        }
        ShowB(kOffsetX, 1, "%.2f");
        ShowB(kOffsetY, 2, "%.2f");
    }
    A(18) = metric;
    SetChecked(metric == 1 ? kMetric : kInches, true);
}

void CPrintSetupDlg::OnHeaderMode(int mode) {
    A(1) = mode;
    if (mode == 1 || mode == 3) set_b(3, -0.18f);
    if (mode == 2 || mode == 3) set_b(4, 0.18f);
    SetText(kHeaderOffset, mode == 1 || mode == 3 ? ShowReal("%.2f", b(3)) : QStringLiteral("0"));
    SetText(kFooterOffset, mode == 2 || mode == 3 ? ShowReal("%.2f", b(4)) : QStringLiteral("0"));
    ShowHeaderMode();
}

// -- output, batch -----------------------------------------------------------------------------

// A click on an output radio; the printer port also clears the frozen name.
void CPrintSetupDlg::OnOutput(int id) {
    if (id == kLpt1) A(17) = 0;
    SetOutput(id);
}

// Contract: the target flags A 13, 14, 19, the kind A 3 and A 15 of the output, its radio, and
// the name field enabled for a file (not for separate EPS files of a batch).
void CPrintSetupDlg::SetOutput(int id) {
    const bool file = id == kFile;
    Enable({kOutputName, kFreezeName}, file);
    A(14) = file ? 1 : 0;
    A(13) = id == kLpt1 ? 1 : 0;
    A(19) = id == kUsb ? 1 : 0;
    A(15) = id == kLpt1 ? 1 : 0;
    A(3) = file ? output::kToFile : (id == kLpt1 ? output::kToPort : output::kToUsb);
    const bool batch_file = file && A(4) != 0;
    Enable({kSingleEps, kSeparateEps}, batch_file);
    if (batch_file && A(21) == 0) Enable({kOutputName}, false);
    SetChecked(kFreezeName, A(17) != 0);
    ShowOutputKind();
}

void CPrintSetupDlg::OnEps(int id) {
    A(21) = id == kSingleEps ? 1 : 0;
    Enable({kOutputName}, id == kSingleEps);
}

void CPrintSetupDlg::OnBatch() {
    const bool on = Checked(kBatch);
    Enable({kNameList, kReverse, kListFile}, on);
    for (int id : kBoxControls) W(id)->setEnabled(!on);
    Enable({kSingleEps, kSeparateEps}, on && A(14) == 1);
    if (on) {
        A(4) = output::kBatchTyped;
        if (A(14) == 1 && A(21) == 0) Enable({kOutputName}, false);
    } else {
        if (A(14) == 1) Enable({kOutputName}, true);
        A(4) = 0;
        SetChecked(kReverse, false);
    }
}

// -- bounding box ------------------------------------------------------------------------------

// Contract: the typed corners go back to display units by the old scale (a field that does not
// read keeps its corner); then A 20, the scale and the shown corners take the new unit.
void CPrintSetupDlg::OnBoxUnit(int unit) {
    for (int k = 0; k < 4; ++k) {
        float typed = 0.0f;
        if (ReadEdited(kCorners[k], kCornerChars, typed))
            set_b(20 + k, typed * BoundingBoxUnitScale);
    }
    A(20) = unit;
    BoundingBoxUnitScale = BoxUnitScaleOf(unit);
    ShowBox();
}

// Contract: Save Settings writes the typed box in display units (4000 an inch) to "!BB.dat",
// Get Saved Settings reads it back into B 20-23 and shows it in the unit, Restore Original
// takes OriginalBoundingBox, Reset shows the typed box on the page as the red outline (mode 5).
void CPrintSetupDlg::OnBoxButton(int id) {
    auto& record = output::SavedBoundingBox;
    if (id == kBoxOriginal) {
        for (int k = 0; k < 4; ++k) set_b(20 + k, output::OriginalBoundingBox(k + 1));
        ShowBox();
        return;
    }
    for (int k = 0; k < 4; ++k) {
        float typed = 0.0f;
        if (ReadEdited(kCorners[k], kCornerChars, typed))
            set_b(20 + k, typed * BoundingBoxUnitScale);
    }
    if (id == kBoxSave) {
        record.file_mode = 2;
        for (int k = 0; k < 4; ++k) record.box(k + 1) = b(20 + k);
        output::exchange_bbox_settings();
    } else if (id == kBoxGet) {
        record.file_mode = 3;
        output::exchange_bbox_settings();
        for (int k = 0; k < 4; ++k) set_b(20 + k, record.box(k + 1));
        ShowBox();
    } else {
        // Reset: the typed box is drawn on the page behind the dialog.
        record.file_mode = 5;
        for (int k = 0; k < 4; ++k) record.box(k + 1) = b(20 + k);
        output::exchange_bbox_settings();
    }
}

}  // namespace

std::unique_ptr<QDialog> MakePrintSetupDialog(QWidget* parent) {
    return std::make_unique<CPrintSetupDlg>(parent);
}

}  // namespace frontend
