#include "qt/core_adapter.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QString>

#include "gif/delay_text.h"
#include "gif/file_summary.h"
#include "qt/delay_spin_box.h"
#include "qt/user_prompts.h"
#include "res/ui_texts.h"

const char kMessageTitle[] = ZORVANE_ERROR_CAPTION;

namespace {

// Texts from the core are 8-bit in the file system's encoding.
QString FromCore(const char* text) { return QFile::decodeName(QByteArray(text)); }

QByteArray DisplayName(const QByteArray& path) { return path.mid(path.lastIndexOf('/') + 1); }

}  // namespace

bool ShowFrameSummary(const WindowControls& controls, UserPrompts& prompts, const QByteArray& path) {
    controls.frame_name->setText(FromCore(DisplayName(path).left(255).constData()));
    const FileSummary summary = InspectFile(path.constData(), InspectDepth::kFirstImage);
    if (summary.message) {
        prompts.ShowMessage(controls.window, QString::fromLatin1(kMessageTitle), FromCore(summary.message),
                            MessageIcon::kWarning);
        return false;
    }
    char text[256];
    FormatFrameSummary(summary.width, summary.height, summary.palette_kind, summary.bits_per_pixel, text, sizeof text);
    controls.frame_info->setText(FromCore(text));
    return true;
}

bool BuildFromWindow(const WindowControls& controls, UserPrompts& prompts, const QString& output) {
    BuildPlan plan;
    plan.output = QFile::encodeName(output).toStdString();
    plan.plays = controls.loop->isChecked() ? kPlayForever : 1;
    DelayRule delay;
    delay.given = true;
    delay.hundredths = ParseDelayText(controls.delay->Text().toUtf8().constData());
    for (int i = 0; i < controls.frame_list->count(); ++i) {
        const QByteArray path = controls.frame_list->item(i)->data(kFramePathRole).toByteArray();
        plan.entries.push_back(PlanEntry{path.toStdString(), ImageChoice::kFirst, delay});
    }
    const BuildResult result = BuildAnimation(plan);
    if (result.ok) return true;
    prompts.ShowMessage(controls.window, QString::fromLatin1(kMessageTitle), FromCore(result.message), result.icon);
    return false;
}
