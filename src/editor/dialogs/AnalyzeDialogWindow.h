// The "Analyze Pattern" dialog on screen: the waveform view and the widgets of every control
// in the groups "Waveform View", "Detect", "Transport", "Setup" and "Pattern", each telling
// the dialog's logic (AnalyzeDialog) by its id and showing its state. User-interface thread.
#pragma once

#include <map>
#include <memory>

#include "editor/dialogs/AnalyzeDialog.h"
#include "gui/dialog/Dialog.h"

namespace vexo {

class CControl;
class Label;
class WaveformView;

class AnalyzeDialogWindow : public Dialog {
public:
    static constexpr int kWidth = 828;
    static constexpr int kHeight = 500;

    // Opens the dialog's session on the plug-in (the bank is copied aside for "Cancel").
    // The desktop must outlive the window; the clipboard is the window's own, or one that
    // outlives it. The window polls the clipboard from its timer.
    AnalyzeDialogWindow(SynthPlugin& plugin, DesktopServices& desktop, std::unique_ptr<Clipboard> clipboard);
    AnalyzeDialogWindow(SynthPlugin& plugin, DesktopServices& desktop, Clipboard& clipboard);

    AnalyzeDialog& logic() { return logic_; }
    // The widget of a control id (tests).
    CControl* control(int id) const;
    WaveformView* waveformView() const { return waveform_; }

    void valueChanged(CControl* control) override;

protected:
    void timer() override;

private:
    void build();
    // Every widget from the logic's state.
    void show();
    // The note fields; the one being typed in keeps its text while its row shows the same step.
    void showNoteFields();
    void showWave();

    // Before the logic, which holds on to it.
    std::unique_ptr<Clipboard> ownClipboard_;
    Clipboard& clipboard_;
    AnalyzeDialog logic_;
    std::map<int, CControl*> controls_;
    Label* stepNumbers_[AnalyzeDialog::kRows] = {};
    WaveformView* waveform_ = nullptr;
    unsigned shownRevision_ = 0;
    int shownOffset_ = -1;
    int shownSteps_ = 0;
};

}  // namespace vexo
