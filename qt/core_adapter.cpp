#include "qt/core_adapter.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QString>

#include "gif/delay_text.h"
#include "qt/delay_spin_box.h"
#include "qt/user_prompts.h"
#include "res/ui_texts.h"

const char kMessageTitle[] = ZORVANE_ERROR_CAPTION;

namespace {

// Texts from the core are 8-bit in the file system's encoding.
QString FromCore(const char* text) { return QFile::decodeName(QByteArray(text)); }

}  // namespace

InspectionAdapter::InspectionAdapter(const WindowControls& controls, UserPrompts& prompts)
    : controls_(controls), prompts_(prompts) {}

void InspectionAdapter::SetFrameName(const char* name) { controls_.frame_name->setText(FromCore(name)); }

void InspectionAdapter::SetFrameSummary(const char* summary) {
    controls_.frame_info->setText(FromCore(summary));
    summarised_ = true;
}

void InspectionAdapter::ShowWarning(const char* message) {
    prompts_.ShowMessage(controls_.window, QString::fromLatin1(kMessageTitle), FromCore(message),
                         MessageIcon::kWarning);
}

BuildAdapter::BuildAdapter(const WindowControls& controls, UserPrompts& prompts, const QString& save_folder)
    : controls_(controls), prompts_(prompts), save_folder_(save_folder) {}

void BuildAdapter::WriteTo(const QString& path) {
    output_ = path;
    output_given_ = true;
}

const char* BuildAdapter::OutputPath() {
    if (!output_given_) output_ = prompts_.AskSavePath(controls_.window, save_folder_);
    if (output_.isEmpty()) return nullptr;
    output_path_ = QFile::encodeName(output_);
    return output_path_.constData();
}

bool BuildAdapter::LoopFlag() { return controls_.loop->isChecked(); }

size_t BuildAdapter::FrameCount() { return static_cast<size_t>(controls_.frame_list->count()); }

const char* BuildAdapter::FramePath(size_t index) {
    const QListWidgetItem* entry = controls_.frame_list->item(static_cast<int>(index));
    frame_path_ = entry ? entry->data(kFramePathRole).toByteArray() : QByteArray();
    return frame_path_.constData();
}

unsigned BuildAdapter::Delay() { return ParseDelayText(controls_.delay->Text().toUtf8().constData()); }

void BuildAdapter::ShowMessage(const char* text, MessageIcon icon) {
    ++message_count_;
    prompts_.ShowMessage(controls_.window, QString::fromLatin1(kMessageTitle), FromCore(text), icon);
}
