// The waveform view of the "Analyze Pattern" dialog: the loaded wave's envelope, the step
// grid that frames each detection segment, and where the wave plays.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "gui/View.h"

namespace vexo {

struct WaveBuffer;

// The smallest and largest sample of the part of a wave that falls into one pixel column.
struct ColumnRange {
    float low = 0.0f;
    float high = 0.0f;
    bool operator==(const ColumnRange&) const = default;
};

// One range per column: column c covers samples [c * n / columns, (c + 1) * n / columns);
// a column that covers none (fewer samples than columns) shows the sample it falls on.
// Empty for no samples or no columns.
std::vector<ColumnRange> waveEnvelope(std::span<const float> samples, int columns);

class WaveformView : public CView {
public:
    static constexpr int kWidth = 485;
    static constexpr int kHeight = 122;

    explicit WaveformView(const CRect& size);

    // User-interface thread. The wave must stay valid while shown; revision tells a new wave
    // from the old one in the same buffer. Null shows "No wave loaded".
    void setWave(const WaveBuffer* wave, unsigned revision);
    // The pattern's step count: the grid has that many equal parts.
    void setSteps(int steps);
    // 0..1 of the wave's length; nullopt hides the play line.
    void setPlayFraction(std::optional<double> fraction);

    void draw(CDrawContext& context) override;

private:
    void drawEnvelope(CDrawContext& context, const CRect& area);
    void drawGrid(CDrawContext& context, const CRect& area) const;

    const WaveBuffer* wave_ = nullptr;
    unsigned revision_ = 0;
    int steps_ = 16;
    std::optional<double> playFraction_;
    // The envelope of the shown wave, computed again only when wave, revision or width change.
    std::vector<ColumnRange> envelope_;
    const WaveBuffer* envelopeWave_ = nullptr;
    unsigned envelopeRevision_ = 0;
    std::size_t envelopeCount_ = 0;
};

}  // namespace vexo
