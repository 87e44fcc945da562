// The print setup dialogs: their registration, the shared number display and unit scale, and
// the file-name prompt (IDD 207).
#include "frontend/dialogs/print_setup_dialogs.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/core/tables.h"
#include "frontend/bridge/display_lists.h"
#include "output/tables.h"

namespace frontend {

namespace {

constexpr int kOk = 1;
constexpr int kCancel = 2;
constexpr std::size_t kParamFileChars = 47;  // the parameter file name less its NUL

}  // namespace

float BoundingBoxUnitScale = 4000.0f;

float BoxUnitScaleOf(int32_t unit) {
    if (unit == 1) return 4000.0f / 2.54f;
    if (unit == 2) return 4000.0f / 72.0f;
    return 4000.0f;
}

double ShortestDecimal(float v) {
    char shortest[32];
    const auto res = std::to_chars(shortest, shortest + sizeof shortest - 1, v);
    *res.ptr = '\0';
    return std::strtod(shortest, nullptr);
}

// Contract: formats v with the one-number printf format after taking the float's shortest
// round-trip decimal, so a rounding shows the number the word stands for.
QString ShowReal(const char* format, float v) {
    char text[64];
    std::snprintf(text, sizeof text, format, ShortestDecimal(v));
    return QString::fromLatin1(text);
}

// -- IDD 207 -----------------------------------------------------------------------------------

// Contract: as the parameter file prompt it first puts "PRINT.SCR" into a name that begins
// with a blank or a control character, and says "Save ..." when output::ParamFileMode is
// nonzero, else "Load ...". As the output name prompt it shows the whole path of
// FrontEndPathBuffer when FrontEndCommandBuffer holds its head, else FrontEndCommandBuffer.
CParamFileNameDlg::CParamFileNameDlg(Use use, QWidget* parent)
    : CEngineDialog(207, QString(), parent), use_(use) {
    auto* layout = new QVBoxLayout(this);
    QString prompt = QStringLiteral("Type file name:");
    QString shown;
    if (use_ == Use::kParamFile) {
        auto& name = output::PrintParameters.print_setup_file_name;
        if (name.code(1) < 33) name.set("PRINT.SCR");
        prompt = output::ParamFileMode != 0 ? QStringLiteral("Save Print Parameters in file:")
                                            : QStringLiteral("Load Print Parameters from file:");
        shown = ShownLine(name);
    } else {
        const std::string whole = core::FrontEndPathBuffer.c_text();
        const std::string short_name = core::FrontEndCommandBuffer.c_text();
        const std::string head = core::FixedText<core::kFrontEndCommandChars>(
                                     whole.substr(0, core::kFrontEndCommandChars))
                                     .trimmed();
        shown = FromCp1252(!whole.empty() && head == short_name ? whole : short_name);
    }
    layout->addWidget(Named(new QLabel(prompt, this), 1553));
    name_ = Named(new QLineEdit(shown, this), 1125);
    name_->setMinimumWidth(320);
    layout->addWidget(name_);
    layout->addWidget(new QLabel(QStringLiteral("Include complete path name."), this));
    auto* row = new QHBoxLayout;
    row->addStretch();
    auto* ok = Named(new QPushButton(QStringLiteral("OK"), this), kOk);
    ok->setDefault(true);
    auto* cancel = Named(new QPushButton(QStringLiteral("Cancel"), this), kCancel);
    cancel->setAutoDefault(false);
    row->addWidget(ok);
    row->addWidget(cancel);
    layout->addLayout(row);
    connect(ok, &QPushButton::clicked, this, [this] { OnOk(); });
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
}

// Contract: the parameter file prompt stores at most 47 characters of the typed name; the
// output name prompt stores the whole name in FrontEndPathBuffer and its first 48 characters
// in FrontEndCommandBuffer (the engine takes the whole one when the two agree). Ends with 1.
void CParamFileNameDlg::OnOk() {
    const std::string typed = ToCp1252(name_->text().trimmed());
    if (use_ == Use::kParamFile) {
        output::PrintParameters.print_setup_file_name.set(typed.substr(0, kParamFileChars));
    } else {
        core::FrontEndPathBuffer.set(typed);
        core::FrontEndCommandBuffer.set(typed.substr(0, core::kFrontEndCommandChars));
    }
    End(kOk);
}

void RegisterPrintSetupDialogs() {
    RegisterDialogClass({202, QStringLiteral("Print Setup"), MakePrintSetupDialog,
                         {1,    2,    1139, 1140, 1143, 1081, 1086, 1141, 1144, 1101, 1659,
                          1631, 1103, 1097, 1098, 1099, 1599, 1600, 1002, 1003, 1005, 1707,
                          1708, 1603, 1604, 1678, 1705, 1704, 1703, 1711, 1142, 1135, 1136,
                          1137, 1138, 1084, 1088, 1100, 1552, 1092, 1133, 1090, 1096, 1000,
                          1001, 1123, 1124}});
    RegisterDialogClass({217, QStringLiteral("Bounding Box Outline"), MakeBoundingBoxDialog,
                         {1, 2, 1000, 1001, 1123, 1124, 1599, 1600, 1678, 1703, 1704, 1705}});
    RegisterDialogClass({207, QString(),
                         [](QWidget* parent) -> std::unique_ptr<QDialog> {
                             return std::make_unique<CParamFileNameDlg>(
                                 CParamFileNameDlg::Use::kOutputName, parent);
                         },
                         {1, 2, 1125, 1553}});
}

}  // namespace frontend
