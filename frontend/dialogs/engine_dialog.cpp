// The dialog registry and the base of the engine dialogs.
#include "frontend/dialogs/engine_dialog.h"

#include <QApplication>
#include <QPushButton>
#include <QWidget>
#include <algorithm>
#include <bit>
#include <cstdio>
#include <limits>
#include <map>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/tables.h"
#include "frontend/bridge/display_lists.h"

namespace frontend {

namespace {

std::map<int, DialogClass>& registry() {
    static std::map<int, DialogClass> classes;
    return classes;
}

void ensure_registered() {
    static bool done = false;
    if (done) return;
    done = true;
    RegisterParameterDialogs();
    RegisterSmallDialogs();
    RegisterPrintSetupDialogs();
    RegisterSoundDialogs();
    RegisterPreferencesDialogs();
    RegisterPageLayoutDialogs();
    RegisterQuestionDialogs();
    RegisterTextEntryDialogs();
    RegisterStaffDialogs();
    RegisterSetupDialogs();
    RegisterListDialogs();
}

}  // namespace

void RegisterDialogClass(DialogClass cls) {
    const int idd = cls.idd;
    registry().emplace(idd, std::move(cls));
}

const DialogClass* FindDialogClass(int idd) {
    ensure_registered();
    const auto it = registry().find(idd);
    return it == registry().end() ? nullptr : &it->second;
}

std::vector<const DialogClass*> AllDialogClasses() {
    ensure_registered();
    std::vector<const DialogClass*> all;
    for (const auto& [idd, cls] : registry()) all.push_back(&cls);
    return all;
}

int ExecDialogClass(const DialogClass& cls, QWidget* parent) {
    std::unique_ptr<QDialog> dialog = cls.make(parent);
    return dialog->exec();
}

struct CEngineDialog::Saved {
    DialogExchangeRecord exchange;
    core::FixedText<512> message_line;
    core::FixedText<core::kFrontEndCommandChars> command_buffer;
};

CEngineDialog::CEngineDialog(int idd, const QString& title, QWidget* parent)
    : QDialog(parent), idd_(idd), saved_(std::make_unique<Saved>()) {
    saved_->exchange = DialogExchangeBlocks;
    saved_->message_line = core::MessageLine;
    saved_->command_buffer = core::FrontEndCommandBuffer;
    setWindowTitle(title);
    setObjectName(QStringLiteral("Dialog%1").arg(idd));
}

CEngineDialog::~CEngineDialog() = default;

void CEngineDialog::reject() {
    if (restore_on_cancel_) {
        DialogExchangeBlocks = saved_->exchange;
        core::set_exchange_text(saved_->message_line.view());
        core::FrontEndCommandBuffer = saved_->command_buffer;
    }
    done(cancel_result_);
}

int32_t& CEngineDialog::A(int k) { return DialogLaunch::Word(ExchangeBlock::A, k); }
int32_t& CEngineDialog::B(int k) { return DialogLaunch::Word(ExchangeBlock::B, k); }
int32_t& CEngineDialog::C(int k) { return DialogLaunch::Word(ExchangeBlock::C, k); }

float CEngineDialog::Real(ExchangeBlock block, int k) {
    return std::bit_cast<float>(DialogLaunch::Word(block, k));
}

void CEngineDialog::SetReal(ExchangeBlock block, int k, float v) {
    DialogLaunch::Word(block, k) = std::bit_cast<int32_t>(v);
}

QString ControlName(int id) { return QStringLiteral("c%1").arg(id); }
void NameControl(QWidget* w, int id) { w->setObjectName(ControlName(id)); }

QPushButton* ControlButton(QWidget* parent, int id, const QString& label) {
    auto* b = NamedControl(new QPushButton(label, parent), id);
    b->setAutoDefault(false);
    return b;
}

QString FormatInt(int32_t v) { return QString::number(v); }

QString FormatReal(float v) { return FormatReal("%f", v); }

QString FormatReal(const char* format, float v) {
    char text[64];
    std::snprintf(text, sizeof text, format, static_cast<double>(v));
    return QString::fromLatin1(text);
}

core::FieldNumber ReadIntField(const QString& text, int32_t& word) {
    return core::read_field_word(ToCp1252(text), word);
}

bool ReadInt(const QString& text, int32_t& word) {
    return ReadIntField(text, word) == core::FieldNumber::Taken;
}

bool ReadIntSaturating(const QString& text, int32_t& word) {
    const core::FieldNumber read = ReadIntField(text, word);
    if (read == core::FieldNumber::PastRange)
        word = text.trimmed().startsWith(QLatin1Char('-')) ? std::numeric_limits<int32_t>::min()
                                                           : std::numeric_limits<int32_t>::max();
    return read != core::FieldNumber::NoNumber;
}

bool ReadReal(const QString& text, float& word) {
    const std::string s = ToCp1252(text);
    float v = 0.0f;
    if (std::sscanf(s.c_str(), "%f", &v) != 1) return false;
    word = v;
    return true;
}

void StoreAnswerBytes(std::string bytes, std::size_t max) {
    const std::size_t room = static_cast<std::size_t>(core::MessageLine.size()) - 1;
    bytes.resize(std::min({bytes.size(), max, room}));
    bytes += '\0';
    core::set_exchange_text(bytes);
}

void StoreAnswerLine(const QString& text) { StoreAnswerBytes(ToCp1252(text)); }

QString ShownWholeName() {
    const std::string whole = core::FrontEndPathBuffer.c_text();
    const std::string short_name = core::FrontEndCommandBuffer.c_text();
    const std::string head =
        core::FixedText<core::kFrontEndCommandChars>(whole.substr(0, core::kFrontEndCommandChars))
            .trimmed();
    return FromCp1252(!whole.empty() && head == short_name ? whole : short_name);
}

void StoreWholeName(const QString& text) {
    const std::string typed = ToCp1252(text.trimmed());
    core::FrontEndPathBuffer.set(typed);
    core::FrontEndCommandBuffer.set(std::string_view(typed).substr(
        0, std::min<std::size_t>(typed.size(), core::kFrontEndCommandChars)));
}

}  // namespace frontend
