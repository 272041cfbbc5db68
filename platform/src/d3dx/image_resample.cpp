// Separable resampling: each destination texel is a weighted sum of source
// texels, the weights being a product of one list per axis. Source rows are
// converted, keyed and filtered horizontally once each and kept only while
// destination rows still need them, so memory stays at a few rows however
// large the image.

#include "d3dx/image_resample.h"

#include "d3dx/pixel_convert.h"

#include <d3dx8tex.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace zep::d3dx {

namespace {

struct Tap {
    UINT index;
    float weight;
};

// Per destination index i, its taps are taps[first[i] .. first[i + 1]).
struct AxisTaps {
    std::vector<UINT> first;
    std::vector<Tap> taps;

    UINT begin(UINT i) const { return first[i]; }
    UINT end(UINT i) const { return first[i + 1]; }
};

// A position off the image comes back in by repeating the edge texel, or
// by mirroring at the edge when the filter asks for it.
UINT edgeIndex(int64_t i, UINT size, bool mirror) {
    if (!mirror) return UINT(std::clamp<int64_t>(i, 0, int64_t(size) - 1));
    const int64_t period = 2 * int64_t(size);
    int64_t m = i % period;
    if (m < 0) m += period;
    return UINT(m < size ? m : period - 1 - m);
}

void addTap(AxisTaps& axis, UINT index, double weight) {
    if (weight > 1e-7) axis.taps.push_back({index, float(weight)});
}

// The four-nearest (two per axis) sample at the texel centre's position.
void linearTaps(AxisTaps& axis, UINT i, UINT sourceSize, UINT destinationSize, bool mirror) {
    const double position = (i + 0.5) * double(sourceSize) / destinationSize - 0.5;
    const double base = std::floor(position);
    const double f = position - base;
    addTap(axis, edgeIndex(int64_t(base), sourceSize, mirror), 1.0 - f);
    addTap(axis, edgeIndex(int64_t(base) + 1, sourceSize, mirror), f);
}

// Every source texel under the destination texel's footprint, weighted by
// how much of it is covered: the plain average for 2:1 (a box), and equal
// total weight for every source texel at any ratio.
void areaTaps(AxisTaps& axis, UINT i, UINT sourceSize, UINT destinationSize) {
    const double scale = double(sourceSize) / destinationSize;
    const double low = i * scale, high = (i + 1) * scale;
    for (UINT j = UINT(std::floor(low)); j < sourceSize && j < high; ++j) {
        const double covered = std::min(high, j + 1.0) - std::max(low, double(j));
        addTap(axis, j, covered / scale);
    }
}

AxisTaps buildTaps(UINT sourceSize, UINT destinationSize, DWORD kind, bool mirror) {
    AxisTaps axis;
    axis.first.reserve(destinationSize + 1);
    for (UINT i = 0; i < destinationSize; ++i) {
        axis.first.push_back(UINT(axis.taps.size()));
        switch (kind) {
        case D3DX_FILTER_NONE:
            // No scaling: what lies beyond the source stays transparent black.
            if (i < sourceSize) addTap(axis, i, 1.0);
            break;
        case D3DX_FILTER_POINT:
            addTap(axis, std::min(sourceSize - 1, UINT((i + 0.5) * sourceSize / destinationSize)), 1.0);
            break;
        case D3DX_FILTER_LINEAR: linearTaps(axis, i, sourceSize, destinationSize, mirror); break;
        default:  // triangle and box: areas when shrinking, the linear sample when growing
            if (destinationSize < sourceSize)
                areaTaps(axis, i, sourceSize, destinationSize);
            else
                linearTaps(axis, i, sourceSize, destinationSize, mirror);
            break;
        }
    }
    axis.first.push_back(UINT(axis.taps.size()));
    return axis;
}

void accumulate(Texel& sum, const Texel& t, float w) {
    sum.r += t.r * w;
    sum.g += t.g * w;
    sum.b += t.b * w;
    sum.a += t.a * w;
}

// Source rows after conversion, keying and the horizontal filter.
class FilteredRows {
public:
    FilteredRows(const SourceImage& source, const AxisTaps& horizontal, UINT width, D3DCOLOR colorKey)
        : source_(source), horizontal_(horizontal), width_(width), colorKey_(colorKey), line_(source.width) {}

    const std::vector<Texel>& row(UINT index) {
        for (const Row& kept : rows_)
            if (kept.index == index) return kept.texels;
        rows_.push_back({index, filter(index)});
        return rows_.back().texels;
    }

    // Rows above `index` are no longer needed by any destination row.
    void forgetBefore(UINT index) {
        rows_.erase(std::remove_if(rows_.begin(), rows_.end(), [index](const Row& r) { return r.index < index; }),
                    rows_.end());
    }

private:
    struct Row {
        UINT index;
        std::vector<Texel> texels;
    };

    std::vector<Texel> filter(UINT index) {
        readTexels(source_.format, source_.bits + size_t(index) * source_.pitch, source_.width, source_.palette,
                   line_.data());
        if (colorKey_ != 0)
            for (Texel& t : line_)
                if (colorOf(t) == colorKey_) t = Texel{0, 0, 0, 0};
        std::vector<Texel> out(width_, Texel{0, 0, 0, 0});
        for (UINT x = 0; x < width_; ++x)
            for (UINT k = horizontal_.begin(x); k < horizontal_.end(x); ++k)
                accumulate(out[x], line_[horizontal_.taps[k].index], horizontal_.taps[k].weight);
        return out;
    }

    const SourceImage& source_;
    const AxisTaps& horizontal_;
    UINT width_;
    D3DCOLOR colorKey_;
    std::vector<Texel> line_;
    std::vector<Row> rows_;
};

}  // namespace

bool resolveFilter(DWORD filter, DWORD fallback, DWORD* resolved) {
    if (filter == D3DX_DEFAULT) filter = fallback;
    const DWORD kind = filter & 0xFF;
    if (kind < D3DX_FILTER_NONE || kind > D3DX_FILTER_BOX) return false;
    *resolved = filter;
    return true;
}

void resample(const SourceImage& source, const DestinationImage& destination, DWORD filter, D3DCOLOR colorKey) {
    if (source.width == 0 || source.height == 0 || destination.width == 0 || destination.height == 0) return;
    const DWORD kind = filter & 0xFF;
    const AxisTaps horizontal = buildTaps(source.width, destination.width, kind, filter & D3DX_FILTER_MIRROR_U);
    const AxisTaps vertical = buildTaps(source.height, destination.height, kind, filter & D3DX_FILTER_MIRROR_V);
    FilteredRows rows(source, horizontal, destination.width, colorKey);
    std::vector<Texel> sum(destination.width);

    WriteRounding rounding;
    rounding.dither = (filter & D3DX_FILTER_DITHER) != 0;
    rounding.sourceBits = channelBits(source.precision);
    rounding.x = destination.x;

    for (UINT y = 0; y < destination.height; ++y) {
        std::fill(sum.begin(), sum.end(), Texel{0, 0, 0, 0});
        if (vertical.begin(y) < vertical.end(y)) {
            UINT lowest = vertical.taps[vertical.begin(y)].index;
            for (UINT k = vertical.begin(y); k < vertical.end(y); ++k)
                lowest = std::min(lowest, vertical.taps[k].index);
            rows.forgetBefore(lowest);
        }
        for (UINT k = vertical.begin(y); k < vertical.end(y); ++k) {
            const std::vector<Texel>& row = rows.row(vertical.taps[k].index);
            const float w = vertical.taps[k].weight;
            for (UINT x = 0; x < destination.width; ++x) accumulate(sum[x], row[x], w);
        }
        rounding.y = destination.y + y;
        writeTexels(destination.format, sum.data(), destination.width, destination.bits + size_t(y) * destination.pitch,
                    rounding);
    }
}

}  // namespace zep::d3dx
