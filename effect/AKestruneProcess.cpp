// The audio path of the effect: gains, delay engine, filters, balance, peaks, tempo sync,
// and the reactions to sample-rate and block-size changes.
#include "effect/AKestrune.h"

#include "dsp/SampleGuards.h"
#include "effect/StereoPasses.h"
#include "effect/TempoSync.h"
#include "port/DenormalGuard.h"

#include <emmintrin.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <new>

#include <syslog.h>

namespace {

// Buffers never exceed this many frames; longer host blocks are processed in pieces.
constexpr int kMaxAllocatedFrames = 1 << 16;

// A filter switch crossfades over this time.
constexpr double kFilterFadeSeconds = 0.005;

} // namespace

bool AKestrune::AllocateWorkBuffers(int frames)
{
    frames = std::clamp(frames, 1, kMaxAllocatedFrames);
    std::unique_ptr<double[]> fresh[kWorkBuffers + 2];
    for (auto& buffer : fresh) {
        buffer.reset(new (std::nothrow) double[static_cast<size_t>(frames)]);
        if (!buffer) return false; // keep the old buffers; blocks go in pieces of the old size
    }
    for (int i = 0; i < kWorkBuffers; ++i) m_work[i] = std::move(fresh[i]);
    for (int i = 0; i < 2; ++i) m_gainedInput[i] = std::move(fresh[kWorkBuffers + i]);
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
        m_delay.PrepareLine();
    }
    AudioEffectX::resume();
}

void AKestrune::suspend()
{
    CSingleLock lock(m_lock);
    m_params[kOnOff].Store(0.0f);
    m_delay.Reset();
    SettleFilterSwitches();
}

VstInt32 AKestrune::startProcess()
{
    CSingleLock lock(m_lock);
    m_delay.Reset();
    SettleFilterSwitches();
    return 0;
}

// With the line cleared there is nothing to click: the switches take their places at once.
void AKestrune::SettleFilterSwitches()
{
    m_hpfFade.Settle(m_params[kHpfOn].GetInt() != 0);
    m_lpfFade.Settle(m_params[kLpfOn].GetInt() != 0);
}

void AKestrune::SetFadeLength(CSwitchFade& fade) const
{
    fade.SetLength(static_cast<int>(std::lround(kFilterFadeSeconds * m_format.samplesPerSec)));
}

void AKestrune::ResetHPF()
{
    const double fs = m_format.samplesPerSec;
    const double freq = m_params[kHpfFreq].GetReal();
    m_hpfL.CalcCoefficients(fs, freq, 0.0, 1.0, 4);
    m_hpfR.CalcCoefficients(fs, freq, 0.0, 1.0, 4);
    SetFadeLength(m_hpfFade);
}

void AKestrune::ResetLPF()
{
    const double fs = m_format.samplesPerSec;
    const double freq = m_params[kLpfFreq].GetReal();
    m_lpfL.CalcCoefficients(fs, freq, 0.0, 1.0, 3);
    m_lpfR.CalcCoefficients(fs, freq, 0.0, 1.0, 3);
    SetFadeLength(m_lpfFade);
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
    const float t = NoteDelayMs(m_params[kBpm].GetInt() / 10, m_params[kNote].GetInt());
    if (!(t > 0.0f)) return;
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
    // No tempo from the host: the BPM the user set stays and times the note, rather than
    // falling to 30 BPM.
    if (t > 0.0f) {
        t = std::clamp(t, 300.0f, 5000.0f);
        m_params[kBpm].Store((t - 300.0f) / 4700.0f);
    }
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

// The filters run even while switched off, so switching one on finds its history in step
// with the signal instead of resuming from a block long past; a switch then crossfades.
void AKestrune::RunFilterStage(CBiquadFilter& left, CBiquadFilter& right, CSwitchFade& fade, double* (&wet)[2],
                               double* (&spare)[2], int frames)
{
    CBiquadFilter::OperateStereo(left, right, wet[0], wet[1], spare[0], spare[1], frames);
    if (fade.IsAtRest()) {
        if (fade.IsOn()) std::swap(wet, spare);
        return;
    }
    fade.Blend(wet[0], wet[1], spare[0], spare[1], frames);
    std::swap(wet, spare);
}

// High-pass before low-pass.
void AKestrune::RunWetPath(double** in, double* (&wet)[2], int frames)
{
    m_hpfFade.SetTarget(m_params[kHpfOn].GetInt() != 0);
    m_lpfFade.SetTarget(m_params[kLpfOn].GetInt() != 0);
    if (m_hpfFade.IsAtRest() && m_lpfFade.IsAtRest()) {
        // No switch moving: both stages run inside the engine's loop, on its output.
        const bool highOn = m_hpfFade.IsOn();
        const DelayMain::WetFilters filters {&m_hpfL, &m_hpfR, &m_lpfL, &m_lpfR, highOn,
                                             m_lpfFade.IsOn() ? DelayMain::WetFilters::kLow
                                             : highOn         ? DelayMain::WetFilters::kHigh
                                                              : DelayMain::WetFilters::kEngine};
        m_delay.Process(in, wet, frames, filters);
        return;
    }
    m_delay.Process(in, wet, frames);
    double* spare[2] = {m_work[2].get(), m_work[3].get()};
    RunFilterStage(m_hpfL, m_hpfR, m_hpfFade, wet, spare, frames);
    RunFilterStage(m_lpfL, m_lpfR, m_lpfFade, wet, spare, frames);
}

template <typename Sample> void AKestrune::ProcessBlock(Sample** inputs, Sample** outputs, int frames)
{
    // The passes take the width the engine's loop runs at (any but the baseline has AVX2).
    const bool wide = m_delay.GetSimdPath() != kdsp::SimdPath::kBaseline;
    double* in[2] = {m_gainedInput[0].get(), m_gainedInput[1].get()};
    if (wide) stereo_pass::GainInputWide(inputs, m_inputGain.GetReal(), in, frames, m_peaks);
    else stereo_pass::GainInput(inputs, m_inputGain.GetReal(), in, frames, m_peaks);

    double* wet[2] = {m_work[0].get(), m_work[1].get()};
    RunWetPath(in, wet, frames);

    const double balance = m_params[kBalance].Load(), gain = m_outputGain.GetReal();
    if (wide) stereo_pass::MixOutputWide(wet, in, balance, gain, outputs, frames, m_peaks + 2);
    else stereo_pass::MixOutput(wet, in, balance, gain, outputs, frames, m_peaks + 2);
}

template <typename Sample> void AKestrune::ProcessEntry(Sample** inputs, Sample** outputs, int frames)
{
    if (!ValidBuffers(inputs, outputs, frames)) return;
    CDenormalGuard denormals;
    // Held for the whole call: a block-size change cannot swap the buffers under a block
    // that is using them.
    CSingleLock lock(m_lock);
    if (!BeginBlock()) {
        CopyThrough(inputs, outputs, frames);
        return;
    }
    for (int done = 0; done < frames;) {
        const int piece = std::min(frames - done, m_allocatedFrames);
        Sample* in[2] = {inputs[0] + done, inputs[1] + done};
        Sample* out[2] = {outputs[0] + done, outputs[1] + done};
        ProcessBlock(in, out, piece);
        done += piece;
    }
}

void AKestrune::processDoubleReplacing(double** inputs, double** outputs, VstInt32 frames)
{
    ProcessEntry(inputs, outputs, frames);
}

void AKestrune::processReplacing(float** inputs, float** outputs, VstInt32 frames)
{
    ProcessEntry(inputs, outputs, frames);
}
