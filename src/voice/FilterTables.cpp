#include "voice/FilterTables.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace vexo {
namespace {

// Feedback gain of the resonance loop by stage coefficient (index = 256 * coefficient).
constexpr Breakpoint kFeedbackGainPoints[] = {
    {0, 0.5186},   {11, 0.6219},  {12, 0.6444},  {17, 0.7610},  {18, 0.7800},  {22, 0.8413},  {23, 0.8592},
    {26, 0.9135},  {27, 0.9295},  {30, 0.9582},  {31, 0.9680},  {34, 1.0015},  {35, 1.0121},  {41, 1.0486},
    {42, 1.0519},  {44, 1.0563},  {45, 1.0674},  {47, 1.0934},  {48, 1.1042},  {59, 1.1743},  {60, 1.1809},
    {63, 1.2048},  {64, 1.2125},  {67, 1.2237},  {68, 1.2301},  {72, 1.2635},  {80, 1.3184},  {90, 1.3830},
    {91, 1.3904},  {98, 1.4565},  {99, 1.4642},  {108, 1.5292}, {111, 1.5461}, {112, 1.5529}, {133, 1.7315},
    {134, 1.7410}, {135, 1.7522}, {136, 1.7612}, {142, 1.8058}, {143, 1.8155}, {149, 1.8824}, {150, 1.8928},
    {154, 1.9325}, {155, 1.9416}, {158, 1.9655}, {159, 1.9745}, {169, 2.0861}, {173, 2.1253}, {174, 2.1354},
    {187, 2.2804}, {188, 2.2918}, {201, 2.4494}, {212, 2.5905}, {213, 2.6038}, {230, 2.8503}, {254, 3.2262},
    {255, 3.2423}, {268, 3.4567}, {283, 3.7108}, {284, 3.7155}, {298, 3.5053}, {299, 3.4899}, {319, 3.1648},
    {320, 3.1452}, {324, 3.0659}, {325, 3.0455}, {332, 2.9004}, {333, 2.8837}, {337, 2.8292}, {338, 2.8149},
    {345, 2.7068}, {346, 2.6941}, {362, 2.5038}, {363, 2.4941}, {402, 2.2830},
};

// Output level compensation of the resonance by stage coefficient (index = 256 * coefficient).
constexpr Breakpoint kLevelPoints[] = {
    {0, 0.1086},   {11, 0.5118},  {12, 0.5401},  {17, 0.6796},  {18, 0.6978},  {22, 0.7397},  {23, 0.7690},
    {26, 0.8631},  {27, 0.8926},  {30, 0.9643},  {31, 0.9845},  {34, 0.9965},  {35, 1.0021},  {41, 1.1086},
    {42, 1.1256},  {44, 1.1590},  {45, 1.1659},  {47, 1.1752},  {48, 1.1836},  {51, 1.2314},  {52, 1.2431},
    {72, 1.2431},  {73, 1.2570},  {79, 1.3471},  {80, 1.3566},  {98, 1.3566},  {99, 1.3717},  {108, 1.5489},
    {109, 1.5511}, {138, 1.5511}, {139, 1.5573}, {142, 1.7665}, {143, 1.7942}, {163, 1.7942}, {164, 1.8132},
    {169, 1.9526}, {170, 1.9562}, {180, 1.9562}, {181, 1.9882}, {187, 2.2199}, {188, 2.2480}, {201, 2.2480},
    {202, 2.2568}, {212, 2.3544}, {213, 2.3675}, {230, 2.7310}, {254, 3.2726}, {255, 3.2890}, {268, 3.3992},
    {283, 3.5077}, {284, 3.5122}, {298, 3.5122}, {299, 3.5026}, {319, 2.8014}, {320, 2.8308}, {324, 2.9671},
    {325, 2.9899}, {332, 3.1154}, {333, 3.1372}, {337, 3.2363}, {338, 3.2378}, {345, 2.9224}, {346, 2.9016},
    {362, 2.6785}, {363, 2.6708}, {402, 2.8307},
};

constexpr double kCutoffExponentScale = 5.0;
constexpr double kCutoffIndexScale = 1024.0;
constexpr double kCutoffDivisor = 22050.0;
constexpr double kCutoffOffset = 0.0015;

FilterTables buildFilterTables() {
    FilterTables tables{};
    for (std::size_t i = 0; i < kCutoffTableSize; ++i) {
        const double curve =
            std::exp(kCutoffExponentScale * (1 + static_cast<double>(i) / kCutoffIndexScale)) / kCutoffDivisor -
            kCutoffOffset;
        tables.cutoff[i] = static_cast<float>(std::min(1.0, std::max(0.0, curve)));
    }
    fillPiecewiseLinear(kFeedbackGainPoints, std::size(kFeedbackGainPoints), tables.feedbackGain,
                        kFilterCurveTableSize);
    fillPiecewiseLinear(kLevelPoints, std::size(kLevelPoints), tables.level, kFilterCurveTableSize);
    return tables;
}

}  // namespace

void fillPiecewiseLinear(const Breakpoint* points, std::size_t count, float* table, std::size_t size) {
    if (count == 0) {
        std::fill(table, table + size, 0.0f);
        return;
    }
    std::size_t segment = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const int index = static_cast<int>(i);
        while (segment + 1 < count && points[segment + 1].index <= index) {
            ++segment;
        }
        const Breakpoint& from = points[segment];
        if (segment + 1 >= count || index <= from.index) {
            table[i] = static_cast<float>(from.value);
            continue;
        }
        const Breakpoint& to = points[segment + 1];
        const double t = static_cast<double>(index - from.index) / (to.index - from.index);
        table[i] = static_cast<float>(from.value + (to.value - from.value) * t);
    }
}

const FilterTables& filterTables() {
    static const FilterTables tables = buildFilterTables();
    return tables;
}

}  // namespace vexo
