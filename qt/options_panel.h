// The options of the window: the delay given to selected entries (and to
// all), the delay new frames come in with, the scaling of given delays, how
// often and in which order the animation plays, the centring of smaller
// frames, the size limit and how the file is written (smallest, fitted to the
// limit). The panel only shows and reports; the window applies.
#ifndef ZORVANE_QT_OPTIONS_PANEL_H
#define ZORVANE_QT_OPTIONS_PANEL_H

#include <QGroupBox>
#include <QList>
#include <QString>
#include <cstdint>

#include "qt/frame_list_model.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSettings;
class QSpinBox;
class DelaySpinBox;

class OptionsPanel final : public QGroupBox {
    Q_OBJECT

public:
    explicit OptionsPanel(QWidget* parent);

    // The delay for the selected entries, as typed so far.
    int Delay();
    // The delay new frames come in with, as typed so far.
    int NewFrameDelay();
    // Shows the list's options in the controls, reporting nothing.
    void ShowOptions(const PlanOptions& options);
    // Whether any entry is selected, for the button that sets their delay.
    void SetSelectionPresent(bool present);
    // As if "Set Selected" was clicked.
    void SetSelected();

    // The size limit in bytes; 0 for none.
    uint64_t SizeLimit() const;
    QString SizeLimitText() const;
    // Frames are written in as few bytes as possible, every pixel the same.
    bool Smallest() const;
    // The build drops frames when that is what it takes to stay within the
    // size limit.
    bool FitLimit() const;

    // What is remembered between runs: the delay of new frames, the size
    // limit and the smallest-file choice.
    void Restore(QSettings& settings);
    void Save(QSettings& settings) const;

    // The controls in the order the Tab key visits them: those of the
    // delays, then those of the whole animation.
    QList<QWidget*> DelayControls() const;
    QList<QWidget*> AnimationControls() const;

signals:
    void SetSelectedDelay(int delay);
    void SetAllDelays(int delay);
    void ScaleDelays(int percent);
    // The user changed the plays, the order or the centring.
    void OptionsEdited(const PlanOptions& options);
    // The size limit or the way of writing changed.
    void OutputChoiceChanged();

private:
    void TakeOptions();
    void ShowPlaysMeaning(uint32_t plays);
    void ShowDelayHint();
    void ShowLimitControls();

    DelaySpinBox* delay_ = nullptr;
    QLabel* delay_hint_ = nullptr;
    QPushButton* set_delay_ = nullptr;
    QPushButton* set_all_delays_ = nullptr;
    DelaySpinBox* new_delay_ = nullptr;
    QSpinBox* scale_percent_ = nullptr;
    QPushButton* scale_delays_ = nullptr;
    QComboBox* loop_ = nullptr;
    QSpinBox* plays_ = nullptr;
    QLabel* plays_meaning_ = nullptr;
    QComboBox* play_order_ = nullptr;
    QCheckBox* center_ = nullptr;
    QComboBox* size_limit_ = nullptr;
    QDoubleSpinBox* custom_limit_ = nullptr;
    QCheckBox* smallest_ = nullptr;
    QCheckBox* fit_limit_ = nullptr;
};

#endif  // ZORVANE_QT_OPTIONS_PANEL_H
