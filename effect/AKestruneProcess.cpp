// The audio path of the effect: gains, delay engine, filters, balance, peaks, tempo sync,
// and the reactions to sample-rate and block-size changes.
#include "effect/AKestrune.h"

#include "port/DenormalGuard.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <new>

#include <syslog.h>

namespace {

// Buffers never exceed this many frames; longer host blocks are processed in pieces.
constexpr int kMaxAllocatedFrames = 1 << 16;

// Non-finite input would live in the delay line for seconds and circulate with the
// feedback: it enters as silence instead.
inline double FiniteOrZero(double x)
{
    return std::fabs(x) <= DBL_MAX ? x : 0.0;
}

inline float PeakOf(const double* samples, int n, float peak)
{
    double largest = peak;
    for (int i = 0; i < n; ++i) largest = std::max(largest, std::fabs(samples[i]));
    return static_cast<float>(largest);
}

} // namespace

bool AKestrune::AllocateWorkBuffers(int frames)
{
    frames = std::clamp(frames, 1, kMaxAllocatedFrames);
    std::unique_ptr<double[]> fresh[8];
    for (auto& buffer : fresh) {
        buffer.reset(new (std::nothrow) double[static_cast<size_t>(frames)]);
        if (!buffer) return false; // keep the old buffers; blocks go in pieces of the old size
    }
    for (int i = 0; i < 4; ++i) {
        m_work[i] = std::move(fresh[i]);
        m_convert[i] = std::move(fresh[4 + i]);
    }
    m_allocatedFrames = frames;
    m_delay.SetBloackSize(frames);
    return true;
}

void AKestrune::setBlockSize(VstInt32 size)
{
    if (size <= 0) return;
    CSingleLock lock(m_lock);
    m_blockSizeMember = size;
    AllocateWorkBuffers(size);
}

void AKestrune::setSampleRate(float rate)
{
    // Rates a host could not mean are ignored rather than sizing the line for them.
    if (!(rate >= 1.0f && rate <= 1536000.0f)) return;
    CSingleLock lock(m_lock);
    m_format.samplesPerSec = static_cast<uint32_t>(rate);
    m_format.avgBytesPerSec = m_format.samplesPerSec * 8;
    m_delay.SetFs(static_cast<long>(m_format.samplesPerSec));
    const float longest = m_delay.GetMaxDelayTime();
    if (longest < m_delay.GetRequestedMaxDelayTime())
        syslog(LOG_WARNING, "Kestrune: not enough memory for the delay line at %u Hz; delays are limited to %.0f ms",
               m_format.samplesPerSec, static_cast<double>(longest));
    ApplyDelayTime();
    ResetHPF();
    ResetLPF();
}

// When memory was short the line holds less than the parameter's range: the
// descriptor, and so the display, then shows the delay in force.
void AKestrune::ApplyDelayTime()
{
    const float longest = std::floor(m_delay.GetMaxDelayTime());
    if (static_cast<float>(m_params[kDelayTime].GetInt()) > longest) m_params[kDelayTime].SetFrom(longest);
    m_delay.SetDelayTime(m_params[kDelayTime].GetReal());
}

void AKestrune::resume()
{
    {
        CSingleLock lock(m_lock);
        m_params[kOnOff].Store(1.0f);
    }
    AudioEffectX::resume();
}

void AKestrune::suspend()
{
    CSingleLock lock(m_lock);
    m_params[kOnOff].Store(0.0f);
    m_delay.Reset();
}

VstInt32 AKestrune::startProcess()
{
    CSingleLock lock(m_lock);
    m_delay.Reset();
    return 0;
}

void AKestrune::ResetHPF()
{
    const double fs = m_format.samplesPerSec;
    const double freq = m_params[kHpfFreq].GetReal();
    m_hpfL.CalcCoefficients(fs, freq, 0.0, 1.0, 4);
    m_hpfR.CalcCoefficients(fs, freq, 0.0, 1.0, 4);
}

void AKestrune::ResetLPF()
{
    const double fs = m_format.samplesPerSec;
    const double freq = m_params[kLpfFreq].GetReal();
    m_lpfL.CalcCoefficients(fs, freq, 0.0, 1.0, 3);
    m_lpfR.CalcCoefficients(fs, freq, 0.0, 1.0, 3);
}

void AKestrune::GetVU(float* inLeft, float* inRight, float* outLeft, float* outRight)
{
    CSingleLock lock(m_lock);
    if (inLeft) *inLeft = m_peaks[0];
    if (inRight) *inRight = m_peaks[1];
    if (outLeft) *outLeft = m_peaks[2];
    if (outRight) *outRight = m_peaks[3];
}

void AKestrune::CalcDelatTime(signed char storeInProgram)
{
    const int bpm = m_params[kBpm].GetInt() / 10;
    if (bpm <= 0) return;
    const float t = static_cast<float>(NoteStep[m_params[kNote].GetInt()] / 480.0 * 60000.0 / bpm);
    if (!(t > 0.0f) || !(t < 8000.0f)) return;
    m_params[kDelayTime].SetFrom(t);
    if (storeInProgram) m_programs[m_curProgram].values[kDelayTime] = m_params[kDelayTime].Load();
    ApplyDelayTime();
}

void AKestrune::UpdateHostTempo()
{
    if (!m_audioMaster || m_params[kTimeMode].GetInt() != kTimeModeHost) return;
    float t = 0.0f;
    if (const VstTimeInfo* info = getTimeInfo(kVstTempoValid); info && (info->flags & kVstTempoValid))
        t = static_cast<float>(info->tempo) * 10.0f;
    if (!(t > 0.0f)) t = static_cast<float>(callHost(audioMasterTempoAt) / 10000.0) * 10.0f;
    // No tempo from the host: keep the BPM the user set rather than falling to 30 BPM.
    if (!(t > 0.0f)) return;
    t = std::clamp(t, 300.0f, 5000.0f);
    m_params[kBpm].Store((t - 300.0f) / 4700.0f);
    CalcDelatTime(0);
}

namespace {

template <typename Sample> bool ValidBuffers(Sample** inputs, Sample** outputs, int frames)
{
    return frames > 0 && inputs && outputs && inputs[0] && inputs[1] && outputs[0] && outputs[1];
}

// OFF: each output is its input, bit for bit.
template <typename Sample> void CopyThrough(Sample** inputs, Sample** outputs, int frames)
{
    for (int ch = 0; ch < 2; ++ch)
        if (outputs[ch] != inputs[ch]) std::memmove(outputs[ch], inputs[ch], sizeof(Sample) * frames);
}

} // namespace

bool AKestrune::BeginBlock()
{
    m_processBlockCount.fetch_add(1, std::memory_order_relaxed);
    std::fill(std::begin(m_peaks), std::end(m_peaks), 0.0f);
    if (m_params[kOnOff].GetInt() == 0) return false;
    UpdateHostTempo();
    return true;
}

void AKestrune::ProcessBlock(double** inputs, double** outputs, int frames)
{
    const double gi = m_inputGain.GetReal();
    for (int ch = 0; ch < 2; ++ch) {
        double* in = inputs[ch];
        for (int i = 0; i < frames; ++i) in[i] = FiniteOrZero(in[i] * gi);
        m_peaks[ch] = PeakOf(in, frames, m_peaks[ch]);
    }

    double* wet[2] = {m_work[0].get(), m_work[1].get()};
    double* spare[2] = {m_work[2].get(), m_work[3].get()};
    m_delay.Process(inputs, wet, frames);

    // High-pass before low-pass; each stage runs its left and right filters as one pair.
    if (m_params[kHpfOn].GetInt() != 0) {
        CBiquadFilter::OperateStereo(m_hpfL, m_hpfR, wet[0], wet[1], spare[0], spare[1], frames);
        std::swap(wet, spare);
    }
    if (m_params[kLpfOn].GetInt() != 0) {
        CBiquadFilter::OperateStereo(m_lpfL, m_lpfR, wet[0], wet[1], spare[0], spare[1], frames);
        std::swap(wet, spare);
    }

    const double go = m_outputGain.GetReal();
    const double b = m_params[kBalance].Load();
    const double dry = 1.0 - b;
    double peakL = m_peaks[2], peakR = m_peaks[3];
    for (int i = 0; i < frames; ++i) {
        // Left is written before right is read: inputs and outputs may be the same arrays.
        const double left = (wet[0][i] * b + inputs[0][i] * dry) * go;
        outputs[0][i] = left;
        peakL = std::max(peakL, std::fabs(left));
        const double right = (wet[1][i] * b + inputs[1][i] * dry) * go;
        outputs[1][i] = right;
        peakR = std::max(peakR, std::fabs(right));
    }
    m_peaks[2] = static_cast<float>(peakL);
    m_peaks[3] = static_cast<float>(peakR);
}

void AKestrune::processDoubleReplacing(double** inputs, double** outputs, VstInt32 frames)
{
    if (!ValidBuffers(inputs, outputs, frames)) return;
    CDenormalGuard denormals;
    CSingleLock lock(m_lock);
    if (!BeginBlock()) {
        CopyThrough(inputs, outputs, frames);
        return;
    }
    for (int done = 0; done < frames;) {
        const int piece = std::min(frames - done, m_allocatedFrames);
        double* in[2] = {inputs[0] + done, inputs[1] + done};
        double* out[2] = {outputs[0] + done, outputs[1] + done};
        ProcessBlock(in, out, piece);
        done += piece;
    }
}

void AKestrune::processReplacing(float** inputs, float** outputs, VstInt32 frames)
{
    if (!ValidBuffers(inputs, outputs, frames)) return;
    CDenormalGuard denormals;
    // Held for the whole call: a block-size change cannot swap the conversion arrays
    // under a block that is using them.
    CSingleLock lock(m_lock);
    if (!BeginBlock()) {
        CopyThrough(inputs, outputs, frames);
        return;
    }
    double* in[2] = {m_convert[0].get(), m_convert[1].get()};
    double* out[2] = {m_convert[2].get(), m_convert[3].get()};
    for (int done = 0; done < frames;) {
        const int piece = std::min(frames - done, m_allocatedFrames);
        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < piece; ++i) in[ch][i] = inputs[ch][done + i];
        ProcessBlock(in, out, piece);
        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < piece; ++i) outputs[ch][done + i] = static_cast<float>(out[ch][i]);
        done += piece;
    }
}
