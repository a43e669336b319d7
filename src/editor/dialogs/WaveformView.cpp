#include "editor/dialogs/WaveformView.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

#include "patterns/WaveFile.h"

namespace vexo {

namespace {

constexpr CColor kBackgroundColor{20, 22, 27, 255};
constexpr CColor kBorderColor{62, 67, 77, 255};
constexpr CColor kCentreLineColor{78, 84, 96, 255};
constexpr CColor kEnvelopeColor{196, 216, 232, 255};
constexpr CColor kStepLineColor{226, 72, 60, 170};
constexpr CColor kBeatLineColor{240, 84, 68, 255};  // every fourth step
constexpr CColor kPlayLineColor{255, 196, 56, 255};
constexpr CColor kPlayShadowColor{0, 0, 0, 150};  // keeps the play line visible over the envelope
constexpr CColor kMessageColor{136, 143, 156, 255};
constexpr int kStepsPerBeat = 4;
constexpr int kBorderPixels = 1;
constexpr const char* kNoWaveText = "No wave loaded";

void setSourceColor(cairo_t* cr, const CColor& c) {
    cairo_set_source_rgba(cr, c.red / 255.0, c.green / 255.0, c.blue / 255.0, c.alpha / 255.0);
}

}  // namespace

std::vector<ColumnRange> waveEnvelope(std::span<const float> samples, int columns) {
    std::vector<ColumnRange> ranges;
    if (samples.empty() || columns <= 0) {
        return ranges;
    }
    const auto n = static_cast<unsigned long long>(samples.size());
    const auto count = static_cast<unsigned long long>(columns);
    ranges.reserve(static_cast<std::size_t>(columns));
    for (unsigned long long c = 0; c < count; ++c) {
        const auto begin = static_cast<std::size_t>(c * n / count);
        const auto end = std::max(static_cast<std::size_t>((c + 1) * n / count), begin + 1);
        const auto [low, high] = std::minmax_element(samples.begin() + static_cast<std::ptrdiff_t>(begin),
                                                     samples.begin() + static_cast<std::ptrdiff_t>(end));
        ranges.push_back({*low, *high});
    }
    return ranges;
}

WaveformView::WaveformView(const CRect& size) : CView(size) {
    setMouseEnabled(false);
}

void WaveformView::setWave(const WaveBuffer* wave, unsigned revision) {
    if (wave != wave_ || revision != revision_) {
        wave_ = wave;
        revision_ = revision;
        setDirty();
    }
}

void WaveformView::setSteps(int steps) {
    if (steps != steps_) {
        steps_ = steps;
        setDirty();
    }
}

void WaveformView::setPlayFraction(std::optional<double> fraction) {
    if (fraction != playFraction_) {
        playFraction_ = fraction;
        setDirty();
    }
}

void WaveformView::draw(CDrawContext& context) {
    const CRect& size = getViewSize();
    context.setFillColor(kBackgroundColor);
    context.drawRect(size, CDrawStyle::kDrawFilled);
    const CRect inner(size.left + kBorderPixels, size.top + kBorderPixels, size.right - kBorderPixels,
                      size.bottom - kBorderPixels);
    context.pushClip(inner);
    if (wave_ == nullptr || wave_->empty()) {
        context.setFont(kSmallFontHeight + 2.0);
        context.setFontColor(kMessageColor);
        context.drawString(kNoWaveText, inner, CHoriTxtAlign::kCenterText);
    } else {
        const int centre = inner.top + inner.height() / 2;
        context.setLineWidth(1.0);
        context.setFrameColor(kCentreLineColor);
        context.drawLine({inner.left, centre}, {inner.right - 1, centre});
        drawEnvelope(context, inner);
        drawGrid(context, inner);
        if (playFraction_) {
            const int x = inner.left + static_cast<int>(std::clamp(*playFraction_, 0.0, 1.0) * (inner.width() - 1));
            context.setFillColor(kPlayShadowColor);
            context.drawRect(CRect(x - 2, inner.top, x + 3, inner.bottom), CDrawStyle::kDrawFilled);
            context.setFillColor(kPlayLineColor);
            context.drawRect(CRect(x - 1, inner.top, x + 2, inner.bottom), CDrawStyle::kDrawFilled);
        }
    }
    context.popClip();
    context.setFrameColor(kBorderColor);
    context.drawRect(size, CDrawStyle::kDrawStroked);
}

void WaveformView::drawEnvelope(CDrawContext& context, const CRect& area) {
    if (envelopeWave_ != wave_ || envelopeRevision_ != revision_ || envelopeCount_ != wave_->count() ||
        static_cast<int>(envelope_.size()) != area.width()) {
        envelope_ = waveEnvelope(wave_->samples, area.width());
        envelopeWave_ = wave_;
        envelopeRevision_ = revision_;
        envelopeCount_ = wave_->count();
    }
    // Samples of +-1 reach the edges: half the height each way from the centre line.
    const double centre = area.top + area.height() / 2.0;
    const double scale = area.height() / 2.0;
    cairo_t* cr = context.cairo();
    cairo_new_path(cr);
    for (std::size_t c = 0; c < envelope_.size(); ++c) {
        const double top =
            std::clamp(std::floor(centre - envelope_[c].high * scale), double(area.top), double(area.bottom - 1));
        const double bottom =
            std::clamp(std::floor(centre - envelope_[c].low * scale), double(area.top), double(area.bottom - 1));
        // Whole pixels, at least one per column, so that silence still draws the line.
        cairo_rectangle(cr, area.left + static_cast<double>(c), top, 1.0, bottom - top + 1.0);
    }
    setSourceColor(cr, kEnvelopeColor);
    cairo_fill(cr);
}

void WaveformView::drawGrid(CDrawContext& context, const CRect& area) const {
    if (steps_ < 1) {
        return;
    }
    for (int i = 1; i < steps_; ++i) {
        const int x = area.left + static_cast<int>(static_cast<long long>(i) * area.width() / steps_);
        context.setFrameColor(i % kStepsPerBeat == 0 ? kBeatLineColor : kStepLineColor);
        context.drawLine({x, area.top}, {x, area.bottom - 1});
    }
}

}  // namespace vexo
