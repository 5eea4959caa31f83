#pragma once
// A parameter descriptor: the normalised value the host sees, and the integer and real
// values every consumer (engine, gains, filters, displays) derives from it.
#include <atomic>
#include <cstdint>

struct ParamData {
    int32_t id = 0;
    char name[64] = {};
    float value = 0.0f;
    int32_t def = 0;
    int32_t min = 0;
    int32_t max = 0;
    int32_t decimals = 0;
    bool isList = false;
    int32_t list = -1;
    char unit[16] = {};

    // Normalised value mapped onto [min, max] in single precision and rounded half away
    // from zero.
    int32_t GetInt() const;
    // GetInt() / 10^decimals, nudged 0.00005 away from zero.
    float GetReal() const;
    // Normalised value of an integer or real target, clamped to [min, max].
    float NormFrom(double target) const;
    void SetFrom(double target) { Store(NormFrom(target)); }
    float NormDefault() const { return NormFrom(def); }

    // The value is written under the effect's lock and read without it from other threads
    // (host getters, the editor's idle): relaxed atomic access keeps that well defined.
    float Load() const { return std::atomic_ref<float>(const_cast<float&>(value)).load(std::memory_order_relaxed); }
    void Store(float v) { std::atomic_ref<float>(value).store(v, std::memory_order_relaxed); }
};

struct ParamRow;
// The descriptor of a parameter table row (or gain row), at its default; no name or unit.
ParamData DescriptorFromRow(const ParamRow& row);

// Names of the steps of a list parameter: entry k names the integer value min + k.
struct ParamValueNames {
    uint32_t count = 0;
    const char* names[128] = {};
};

// Any value arriving from outside (host, chunk, file) is forced into 0..1 before use:
// NaN becomes 0, so no mapping ever converts NaN to an integer.
float SanitizeNormalized(float value);
