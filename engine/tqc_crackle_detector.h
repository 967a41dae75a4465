#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "dsp/tqc_real_fft.h"

// A click region: first and last sample, both included.
struct ClickRegion {
    int32_t start;
    int32_t end;
};

// A strict local maximum: where it is and how high.
struct PeakEntry {
    int32_t position;
    float value;
};

// Finds clicks in one channel's window and repairs them in a copy.
//
// Window contract for processBlock(input, output, newFrames), N = blockSize:
//   - input[0..N-1] is the window; input[-N..-1] (its history) must be readable.
//     Only the periodic repair reads history, never more than N-1 back.
//   - output[0..N-1] receives the window, repaired; nothing before output[0]
//     or after output[N-1] is written. input and output must not overlap.
//   - the result is the number of leading output samples that are final:
//     always within [clickGap, N - N/8] (1792 for N = 2048 when nothing was
//     deferred).
//   - output sample i is non-finite only where input sample i is: a window
//     holding a NaN or an infinity is passed through unrepaired, and a repaired
//     region whose result is not finite (history holding a non-finite value,
//     arithmetic overflow on extreme input) gets its input samples back.
// The detector keeps no signal state between calls; one object serves every
// channel in turn. N must be a power of two, at least 16.
//
// Threads: everything except the two setters runs on the audio thread and
// allocates nothing (init builds the transform tables too).
// setSensitivity and setClickGap may be called from any thread at any time;
// each parameter is one relaxed atomic word that the audio thread reads when
// it needs it, so a change takes effect at the next read.
//
// Plain object: init() and release() are called by the owner; release() is
// safe on a never-initialised or already released detector, and whatever is
// still held is freed with the object.
class TQCCrackleDetector {
public:
    TQCCrackleDetector() = default;
    TQCCrackleDetector(const TQCCrackleDetector&) = delete;
    TQCCrackleDetector& operator=(const TQCCrackleDetector&) = delete;

    // Throws std::bad_alloc on failure, leaving the detector released.
    void init(int32_t blockSize, int32_t channels);
    void release();

    // level is clamped into 0..4; the threshold factor becomes 6 - level.
    void setSensitivity(int32_t level);
    // Gaps outside 8..64 are ignored.
    void setClickGap(int32_t gap);

    int32_t processBlock(const float* input, float* output, int32_t newFrames);

    // ---- Analysis steps (audio thread; exposed so they can be checked alone) ----

    // diffs[0] = 0, diffs[i] = |x[i] - x[i-1]|; meanDiff = float running sum
    // of diffs[1..N-1] divided once by N - 1.
    void computeDifferences(const float* x);
    // Centred moving average of odd width; the first and last width/2 values
    // are copied. Each sum is rounded to float after every addition, then
    // multiplied by the double reciprocal of width. src and dst hold N floats.
    void smooth(const float* src, float* dst, int32_t width) const;
    // Lists strict local maxima of src[1..N-2] in ascending order, with
    // position i + offset. Plateaus and NaN never qualify.
    void findPeaks(const float* src, int32_t offset);
    // In-place selection by value: returns the entry of rank k (0-based,
    // ascending) of entries[0..n-1]; which of several equal values comes back
    // is decided by this exact partitioning order. Requires 0 <= k < n.
    static PeakEntry selectRank(PeakEntry* entries, int32_t n, int32_t k);
    // computeDifferences(x), smooth(diffs, smoothedDiffs, width) and
    // findPeaks(diffs, newFrames) in one pass, with the same results.
    void analyseDifferences(const float* x, int32_t width, int32_t newFrames);
    // Circular autocorrelation of x[0..N-1] by FFT into diffs; the real bins 0
    // and N/2 are left unsquared, and lags 3N/8..N-1 are zeroed.
    void autocorrelate(const float* x);

    // ---- Repairs of the current region list (audio thread) ----

    // Crossfade between copies shifted by whole periods of `lag`; a region is
    // repaired only when its correlation sum is <= level.
    void repairPeriodic(const float* x, float* y, int32_t lag, double level);
    // Straight line over each region, refined by 7 low-pass passes of the
    // whole window. Only region insides change.
    void fillBandLimited(float* y);

    // ---- Inspection of the last call (audio thread) ----
    int32_t windowLength() const { return blockSize; }
    float currentThresholdFactor() const { return thresholdFactor.load(std::memory_order_relaxed); }
    int32_t currentClickGap() const { return clickGap.load(std::memory_order_relaxed); }
    const float* differences() const { return diffs; }
    const float* smoothedDifferences() const { return smoothedDiffs; }
    const float* smoothedAutocorrelation() const { return smoothedAutocorr; }
    float meanDifference() const { return meanDiff; }
    const PeakEntry* peakList() const { return peaks; }
    int32_t peakListCount() const { return peakCount; }
    int32_t regionListCount() const { return regionCount; }
    // Region i in window positions.
    ClickRegion regionAt(int32_t i) const;
    int32_t chosenLag() const { return lastLag; }
    double chosenLevel() const { return lastLevel; }
    // Replaces the region list (window positions, ascending, end <= N - N/8);
    // lets a caller run a repair on regions of its choice.
    void setRegions(const ClickRegion* list, int32_t count);

private:
    // diffs[0] = 0, diffs[i] = |x[i] - x[i-1]|.
    void storeDifferences(const float* x);
    bool windowIsFinite(const float* x) const;
    void buildRegions(float threshold, int32_t newFrames);
    void choosePeriod(int32_t& lag, double& level);
    bool regionIsFinite(const float* y, int32_t start, int32_t end) const;
    void restoreUnfiniteRegions(const float* x, float* y);

    int32_t blockSize = 0;
    std::atomic<float> thresholdFactor{3.0f};
    float peakQuantile = 0.95f;
    std::atomic<int32_t> clickGap{32};
    // The work buffers, sized by init. The analysis reads them through the
    // plain pointers below, which point into the owning vectors of `storage`.
    float* diffs = nullptr;
    float* smoothedDiffs = nullptr;
    float* smoothedAutocorr = nullptr;
    float* spectrum = nullptr;
    float meanDiff = 0.0f;
    ClickRegion* regions = nullptr;
    PeakEntry* peaks = nullptr;
    PeakEntry* selectScratch = nullptr;
    int32_t regionCount = 0;
    int32_t peakCount = 0;
    struct WorkStorage {
        std::vector<float> diffs, smoothedDiffs, smoothedAutocorr, spectrum;
        std::vector<ClickRegion> regions;
        std::vector<PeakEntry> peaks, selectScratch;
    } storage;
    std::unique_ptr<TQCRealFFT> fft;
    // Region positions are stored as window position + regionOrigin (the
    // newFrames of the call that built them); every use subtracts it again.
    int32_t regionOrigin = 0;
    int32_t lastLag = 0;
    double lastLevel = 0.0;
};
