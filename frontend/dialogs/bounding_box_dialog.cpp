// "Bounding Box Outline" (IDD 217): the measured box's corners in inches, centimetres or
// points; its buttons end it so that the measure command redraws the outline and asks again.
#include <QButtonGroup>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <array>

#include "frontend/bridge/display_lists.h"
#include "frontend/dialogs/print_setup_dialogs.h"
#include "output/bounding_box.h"
#include "output/tables.h"

namespace frontend {

namespace {

constexpr int kReset = 1;
constexpr int kExit = 2;
constexpr int kRestoreOriginal = 1703;
constexpr int kGetSaved = 1704;
constexpr int kSaveSettings = 1705;
constexpr std::array<int, 4> kCornerIds{1000, 1001, 1123, 1124};
constexpr std::array<int, 3> kUnitIds{1599, 1600, 1678};
constexpr int kUnitWord = 20;
constexpr int kFirstCorner = 20;
constexpr int kFieldChars = 23;

// Record modes the measure command and exchange_bbox_settings read.
constexpr int32_t kModeReset = 0;
constexpr int32_t kModeRestore = -2;
constexpr int32_t kModeSave = 2;
constexpr int32_t kModeGet = 3;

class CBoundingBoxDlg : public CEngineDialog {
  public:
    explicit CBoundingBoxDlg(QWidget* parent);

  private:
    float Corner(int k) const { return Real(ExchangeBlock::B, kFirstCorner + k); }
    void SetCorner(int k, float v) { SetReal(ExchangeBlock::B, kFirstCorner + k, v); }
    void ShowBox();
    void OnUnit(int unit);
    void ReadTyped();
    void OnButton(int id);

    // Typed over: a corner left as shown keeps its exact value, not the rounded figure.
    bool Edited(int k) const { return corners_[k]->text() != shown_[k]; }

    std::array<QLineEdit*, 4> corners_{};
    std::array<QString, 4> shown_{};
    std::array<QRadioButton*, 3> units_{};
};

CBoundingBoxDlg::CBoundingBoxDlg(QWidget* parent)
    : CEngineDialog(217, QStringLiteral("Bounding Box Outline"), parent) {
    auto* layout = new QVBoxLayout(this);
    auto* fields = new QFormLayout;
    const char* labels[] = {"Left -- X1", "Bottom -- Y1", "Right -- X2", "Top -- Y2"};
    for (int k = 0; k < 4; ++k) {
        corners_[k] = Named(new QLineEdit(this), kCornerIds[k]);
        fields->addRow(QString::fromLatin1(labels[k]), corners_[k]);
    }
    layout->addLayout(fields);
    auto* unit_row = new QHBoxLayout;
    auto* group = new QButtonGroup(this);
    const char* unit_names[] = {"Inches", "Centimeters", "Points"};
    for (int u = 0; u < 3; ++u) {
        units_[u] = Named(new QRadioButton(QString::fromLatin1(unit_names[u]), this), kUnitIds[u]);
        group->addButton(units_[u]);
        unit_row->addWidget(units_[u]);
        connect(units_[u], &QRadioButton::clicked, this, [this, u] { OnUnit(u); });
    }
    layout->addLayout(unit_row);
    auto* box_row = new QHBoxLayout;
    const std::array<std::pair<int, const char*>, 3> box_buttons{
        {{kRestoreOriginal, "Restore &Original"},
         {kGetSaved, "&Get Saved Settings"},
         {kSaveSettings, "&Save Settings"}}};
    for (const auto& [id, text] : box_buttons) {
        auto* b = Named(new QPushButton(QString::fromLatin1(text), this), id);
        b->setAutoDefault(false);
        box_row->addWidget(b);
        connect(b, &QPushButton::clicked, this, [this, id = id] { OnButton(id); });
    }
    layout->addLayout(box_row);
    auto* end_row = new QHBoxLayout;
    end_row->addStretch();
    auto* reset = Named(new QPushButton(QStringLiteral("&Reset"), this), kReset);
    reset->setDefault(true);
    auto* exit = Named(new QPushButton(QStringLiteral("E&xit"), this), kExit);
    exit->setAutoDefault(false);
    end_row->addWidget(reset);
    end_row->addWidget(exit);
    layout->addLayout(end_row);
    connect(reset, &QPushButton::clicked, this, [this] { OnButton(kReset); });
    connect(exit, &QPushButton::clicked, this, [this] { reject(); });

    BoundingBoxUnitScale = BoxUnitScaleOf(A(kUnitWord));
    ShowBox();
}

// The unit radio of A 20 and the corners of B 20-23 (display units) in that unit.
void CBoundingBoxDlg::ShowBox() {
    const int32_t unit = A(kUnitWord);
    units_[static_cast<std::size_t>(unit >= 0 && unit <= 2 ? unit : 0)]->setChecked(true);
    for (int k = 0; k < 4; ++k) {
        shown_[k] = ShowReal("%.2f", Corner(k) / BoundingBoxUnitScale);
        corners_[k]->setText(shown_[k]);
    }
}

// Contract: the typed corners go back to display units by the old scale (a field left as shown
// or that does not read keeps its corner), then A 20 and the scale take the new unit and the box is shown.
void CBoundingBoxDlg::OnUnit(int unit) {
    for (int k = 0; k < 4; ++k) {
        float typed = 0.0f;
        if (Edited(k) && ReadReal(corners_[k]->text().left(kFieldChars), typed))
            SetCorner(k, typed * BoundingBoxUnitScale);
    }
    A(kUnitWord) = unit;
    BoundingBoxUnitScale = BoxUnitScaleOf(unit);
    ShowBox();
}

// The corners as typed, in the unit of A 20; a field left as shown or that does not read
// keeps its corner.
void CBoundingBoxDlg::ReadTyped() {
    for (int k = 0; k < 4; ++k) {
        float typed = Corner(k) / BoundingBoxUnitScale;
        if (Edited(k)) ReadReal(corners_[k]->text().left(kFieldChars), typed);
        SetCorner(k, typed);
    }
}

// Contract: every button but Exit ends the dialog with 1 and the typed corners in B 20-23 (in
// the unit of A 20), with SavedBoundingBox's mode telling the caller what was asked: 0 Reset,
// -2 Restore Original, 2 Save (the box also written to "!BB.dat" in display units), 3 Get (the
// saved box read back and returned in the unit of A 20).
void CBoundingBoxDlg::OnButton(int id) {
    auto& record = output::SavedBoundingBox;
    ReadTyped();
    if (id == kReset) {
        record.file_mode = kModeReset;
    } else if (id == kRestoreOriginal) {
        record.file_mode = kModeRestore;
    } else if (id == kSaveSettings) {
        record.file_mode = kModeSave;
        for (int k = 0; k < 4; ++k) record.box(k + 1) = Corner(k) * BoundingBoxUnitScale;
        output::exchange_bbox_settings();
    } else if (id == kGetSaved) {
        record.file_mode = kModeGet;
        output::exchange_bbox_settings();
        for (int k = 0; k < 4; ++k) SetCorner(k, record.box(k + 1) / BoundingBoxUnitScale);
    }
    End(kReset);
}

}  // namespace

std::unique_ptr<QDialog> MakeBoundingBoxDialog(QWidget* parent) {
    return std::make_unique<CBoundingBoxDlg>(parent);
}

}  // namespace frontend
