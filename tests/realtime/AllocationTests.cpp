// Nothing on the audio thread allocates or takes a lock other than the effect's own:
// every operator new and every pthread mutex lock in this program is seen while a test
// says so.
#include "tests/effect/EffectFixture.h"
#ifdef KESTRUNE_WITH_LV2
#include "effect/ParameterUnits.h"
#include "lv2/Lv2Effect.h"
#include "tests/realtime/Lv2Wiring.h"
#include "tools/lv2host/UridMap.h"

#include <lv2/atom/forge.h>
#include <lv2/atom/util.h>
#include <lv2/worker/worker.h>
#include <lv2/time/time.h>
#endif

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <dlfcn.h>
#include <mutex>
#include <new>
#include <pthread.h>

namespace {
thread_local bool gCounting = false;
std::atomic<long> gAllocations {0};
// Distinct mutexes locked while counting (a fixed array: recording must not allocate).
constexpr int kMaxMutexes = 16;
pthread_mutex_t* gLocked[kMaxMutexes] = {};
int gLockedCount = 0;
long gLockCalls = 0;

void* Allocate(std::size_t size)
{
    if (gCounting) gAllocations.fetch_add(1);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}

class CountAllocations {
public:
    CountAllocations()
    {
        gAllocations = 0;
        gLockedCount = 0;
        gLockCalls = 0;
        gCounting = true;
    }
    ~CountAllocations() { gCounting = false; }
    long Count() const { return gAllocations.load(); }
    int DistinctMutexes() const { return gLockedCount; }
    long LockCalls() const { return gLockCalls; }
};
} // namespace

// Interposed: the program's own definition comes before libc's.
extern "C" int pthread_mutex_lock(pthread_mutex_t* mutex)
{
    using Lock = int (*)(pthread_mutex_t*);
    static const Lock real = reinterpret_cast<Lock>(::dlsym(RTLD_NEXT, "pthread_mutex_lock"));
    if (gCounting) {
        ++gLockCalls;
        bool known = false;
        for (int i = 0; i < gLockedCount; ++i) known = known || gLocked[i] == mutex;
        if (!known && gLockedCount < kMaxMutexes) gLocked[gLockedCount++] = mutex;
    }
    return real(mutex);
}

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    if (gCounting) gAllocations.fetch_add(1);
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

TEST(RealTime, ProcessingAndAutomationNeverAllocate)
{
    EffectRunner r(true);
    r.host.opcodes.reserve(100000);
    r.fx->setBlockSize(256);
    r.AllAtWork(500, 500, 500, 10);
    std::vector<float> left(2048, 0.25f), right(2048, -0.25f);
    std::vector<double> wideL(2048, 0.25), wideR(2048, -0.25), outL(2048), outR(2048);
    double* wideIn[2] = {wideL.data(), wideR.data()};
    double* wideOut[2] = {outL.data(), outR.data()};

    CountAllocations counter;
    r.Run(left, right, 256);
    r.Run(left, right, 2048); // longer than the block size: processed in pieces
    r.Set(kDelayTime, 120);   // a glide
    r.Run(left, right, 256);
    r.fx->setParameter(kHpfOn, 0.0f); // a filter switch fades
    r.Run(left, right, 64);
    r.fx->processDoubleReplacing(wideIn, wideOut, 2048);
    for (int i = 0; i < kNumParams; ++i) r.fx->setParameter(i, 0.37f);
    r.fx->setParameter(kOnOff, 1.0f);
    r.fx->setParameter(kOutputGainId, 0.5f);
    r.Set(kTimeMode, kTimeModeHost);
    r.host.tempoAt = 97.0;
    r.Run(left, right, 256);
    r.fx->setParameter(kOnOff, 0.0f);
    r.Run(left, right, 256);
    float peaks[4];
    r.fx->GetVU(&peaks[0], &peaks[1], &peaks[2], &peaks[3]);
    EXPECT_EQ(counter.Count(), 0);
    EXPECT_GT(counter.LockCalls(), 0);
    EXPECT_EQ(counter.DistinctMutexes(), 1) << "only the effect's own lock";
}

#ifdef KESTRUNE_WITH_LV2
// The LV2 edition's run: transport atoms and panel operations in, the panel message out,
// port changes in every parameter, HOST mode.
TEST(RealTime, Lv2RunNeverAllocates)
{
    UridMap urids;
    LV2_Feature map {LV2_URID__map, urids.MapFeatureData()};
    int jobs = 0;
    LV2_Worker_Schedule schedule {&jobs, [](LV2_Worker_Schedule_Handle counted, uint32_t, const void*) {
                                      ++*static_cast<int*>(counted);
                                      return LV2_WORKER_SUCCESS;
                                  }};
    LV2_Feature worker {LV2_WORKER__schedule, &schedule};
    const LV2_Feature* features[] = {&map, &worker, nullptr};
    KestruneLv2 fx(48000.0, features);
    std::vector<uint64_t> sequence(64);
    LV2_Atom_Forge forge;
    lv2_atom_forge_init(&forge, urids.MapFeatureData());
    lv2_atom_forge_set_buffer(&forge, reinterpret_cast<uint8_t*>(sequence.data()), sequence.size() * 8);
    LV2_Atom_Forge_Frame frame, position, operation;
    lv2_atom_forge_sequence_head(&forge, &frame, 0);
    lv2_atom_forge_frame_time(&forge, 0);
    lv2_atom_forge_object(&forge, &position, 0, urids.Map(LV2_TIME__Position));
    lv2_atom_forge_key(&forge, urids.Map(LV2_TIME__beatsPerMinute));
    lv2_atom_forge_float(&forge, 97.0f);
    lv2_atom_forge_pop(&forge, &position);
    lv2_atom_forge_frame_time(&forge, 0);
    lv2_atom_forge_object(&forge, &operation, 0, urids.Map(kLv2SaveProgram));
    lv2_atom_forge_key(&forge, urids.Map(kLv2Program));
    lv2_atom_forge_int(&forge, 5);
    lv2_atom_forge_key(&forge, urids.Map(kLv2Name));
    lv2_atom_forge_string(&forge, "Saved", 5);
    lv2_atom_forge_pop(&forge, &operation);
    lv2_atom_forge_pop(&forge, &frame);

    std::vector<float> left(1024, 0.25f), right(1024, -0.25f), outL(1024), outR(1024);
    Lv2Wiring wiring(fx, left.data(), right.data(), outL.data(), outR.data());
    fx.Connect(kPortControl, sequence.data());
    fx.Activate();
    float* ports = wiring.ports;
    auto run = [&](uint32_t frames) { wiring.Run(frames); };

    const long mapCalls = urids.FeatureMapCalls();
    CountAllocations counter;
    run(1024);
    for (int i = 0; i < kNumParams; ++i) {
        ports[i] = static_cast<float>(0.5 * (UnitsMinimum(i) + UnitsMaximum(i)));
        run(256);
    }
    ports[kTimeMode] = kTimeModeHost;
    run(1024);
    ports[kOnOff] = 0.0f;
    run(64);
    EXPECT_EQ(counter.Count(), 0);
    EXPECT_GT(counter.LockCalls(), 0);
    EXPECT_EQ(counter.DistinctMutexes(), 1) << "only the effect's own lock";
    EXPECT_EQ(urids.FeatureMapCalls(), mapCalls) << "no URI mapped while running: the host's map may lock";
    EXPECT_EQ(jobs, kNumParams + 3) << "every block handed the save to the worker";
    EXPECT_GT(wiring.messages, 0) << "the panel heard of the changes";
    fx.Deactivate();
}
#endif

TEST(RealTime, TheCountersSeeAllocationsAndLocks)
{
    std::mutex a, b;
    CountAllocations counter;
    auto* p = new std::vector<int>(10);
    delete p;
    { std::lock_guard<std::mutex> la(a); }
    { std::lock_guard<std::mutex> lb(b); }
    EXPECT_EQ(counter.Count(), 2);
    EXPECT_EQ(counter.DistinctMutexes(), 2);
}
