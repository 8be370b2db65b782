// Each slot of each resampling set against the plain loop in the same slot,
// checkasm-style: every length 1 to 64, at random offsets into the buffers
// (so every alignment and every vector tail), on random samples and weights.
// Inputs are allocated to the exact length a slot may read, so the sanitizer
// build also sees a read past them; outputs carry a guard past their end that
// must stay untouched. The whole-pass comparison with the reference is in
// resample_kernels_test.cpp.
#include <gtest/gtest.h>

#include <string.h>

#include <random>
#include <string>
#include <vector>

#include "effect/resample_kernels.h"

namespace {

const int longest = 64;
const int guard = 16;           // samples past an output's end that must keep their value
const int offsets_per_length = 6;

struct inputs {
    std::mt19937 rng;
    explicit inputs(unsigned seed) : rng(seed) {}

    int offset() { return static_cast<int>(rng() % 8); }

    // n int16 samples over the full range, after offset unused ones.
    std::vector<int16_t> samples(int offset, int n) {
        std::vector<int16_t> v(static_cast<size_t>(offset + n));
        for (int16_t& s : v) s = static_cast<int16_t>(rng() >> 16);
        return v;
    }
    // Horizontal sums as a blend leaves them: within the int16 range.
    std::vector<double> sums(int offset, int n) {
        std::uniform_real_distribution<double> d(-32768.0, 32767.0);
        std::vector<double> v(static_cast<size_t>(offset + n));
        for (double& s : v) s = d(rng);
        return v;
    }
    // A fraction f in [0, 1] and its complement.
    void weights(double* g, double* f) {
        *f = std::uniform_real_distribution<double>(0.0, 1.0)(rng);
        if (rng() % 8 == 0) *f = rng() % 2 ? 0.0 : 1.0;
        *g = 1.0 - *f;
    }
    // Per-sample weights of a run: gx[j] = 1 - fx[j], the same for a pixel's
    // three samples.
    void run_weights(int offset, int n, std::vector<double>& gx, std::vector<double>& fx) {
        gx.assign(static_cast<size_t>(offset + n), 0.0);
        fx.assign(static_cast<size_t>(offset + n), 0.0);
        double g = 0, f = 0;
        for (int j = 0; j < n; j++) {
            if (j % 3 == 0) weights(&g, &f);
            gx[offset + j] = g;
            fx[offset + j] = f;
        }
    }
};

template <typename T>
std::vector<T> guarded(int offset, int n, T fill) {
    return std::vector<T>(static_cast<size_t>(offset + n + guard), fill);
}

template <typename T>
bool same_bits(const std::vector<T>& a, const std::vector<T>& b) {
    return a.size() == b.size() && memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0;
}

std::vector<int> runnable_levels() {
    std::vector<int> levels;
    for (int level = 0; level < resample_level_count(); level++)
        if (resample_level_runs(level)) levels.push_back(level);
    return levels;
}

// Runs check(plain, tested, n, offsets) for every runnable level above plain,
// every length and several offsets; check returns "" or what differed.
template <typename Check>
void every_level_and_length(const char* slot, Check check) {
    resample_table plain;
    resample_table_fill(plain, 0);
    inputs in(12345);
    int failures = 0;
    for (int level : runnable_levels()) {
        resample_table tested;
        ASSERT_EQ(resample_table_fill(tested, resample_level_features(level)), level);
        for (int n = 1; n <= longest; n++) {
            for (int k = 0; k < offsets_per_length; k++) {
                const std::string what = check(plain.k, tested.k, n, in);
                if (!what.empty() && failures++ < 10)
                    ADD_FAILURE() << slot << " of " << resample_level_name(level) << ", n " << n
                                  << ": " << what;
            }
        }
    }
    EXPECT_EQ(failures, 0);
}

TEST(ResamplePrimitives, BlendRun) {
    every_level_and_length("blend_run", [](const resample_primitives& a, const resample_primitives& b,
                                           int n, inputs& in) -> std::string {
        const int op = in.offset(), ow = in.offset(), os = in.offset();
        const std::vector<int16_t> p = in.samples(op, n + 3);
        std::vector<double> gx, fx;
        in.run_weights(ow, n, gx, fx);
        std::vector<double> want = guarded(os, n, -7.5), got = want;
        a.blend_run(p.data() + op, gx.data() + ow, fx.data() + ow, want.data() + os, n);
        b.blend_run(p.data() + op, gx.data() + ow, fx.data() + ow, got.data() + os, n);
        return same_bits(want, got) ? "" : "sums differ";
    });
}

TEST(ResamplePrimitives, BlendRunRowPair) {
    every_level_and_length("blend_run_row_pair", [](const resample_primitives& a,
                                                    const resample_primitives& b, int n,
                                                    inputs& in) -> std::string {
        const int o1 = in.offset(), o2 = in.offset(), ow = in.offset(), os = in.offset(),
                  oo = in.offset();
        const std::vector<int16_t> p1 = in.samples(o1, n + 3), p2 = in.samples(o2, n + 3);
        std::vector<double> gx, fx;
        in.run_weights(ow, n, gx, fx);
        std::vector<double> sums_want = in.sums(os, n);
        sums_want.resize(sums_want.size() + guard, -7.5);
        std::vector<double> sums_got = sums_want;
        double g1, f1, g2, f2;
        in.weights(&g1, &f1);
        in.weights(&g2, &f2);
        std::vector<int16_t> out1_want = guarded<int16_t>(oo, n, 0x5A5A), out2_want = out1_want;
        std::vector<int16_t> out1_got = out1_want, out2_got = out1_want;
        a.blend_run_row_pair(p1.data() + o1, p2.data() + o2, gx.data() + ow, fx.data() + ow,
                             sums_want.data() + os, out1_want.data() + oo, out2_want.data() + oo,
                             n, g1, f1, g2, f2);
        b.blend_run_row_pair(p1.data() + o1, p2.data() + o2, gx.data() + ow, fx.data() + ow,
                             sums_got.data() + os, out1_got.data() + oo, out2_got.data() + oo, n,
                             g1, f1, g2, f2);
        if (!same_bits(out1_want, out1_got)) return "first output row differs";
        if (!same_bits(out2_want, out2_got)) return "second output row differs";
        return same_bits(sums_want, sums_got) ? "" : "kept sums differ";
    });
}

TEST(ResamplePrimitives, WidenRow) {
    every_level_and_length("widen_row", [](const resample_primitives& a, const resample_primitives& b,
                                           int n, inputs& in) -> std::string {
        const int op = in.offset(), ok = in.offset();
        const std::vector<int16_t> p = in.samples(op, n);
        std::vector<double> want = guarded(ok, n, -7.5), got = want;
        a.widen_row(p.data() + op, want.data() + ok, n);
        b.widen_row(p.data() + op, got.data() + ok, n);
        return same_bits(want, got) ? "" : "held row differs";
    });
}

TEST(ResamplePrimitives, BlendKeptRow) {
    every_level_and_length("blend_kept_row", [](const resample_primitives& a,
                                                const resample_primitives& b, int n,
                                                inputs& in) -> std::string {
        const int op = in.offset(), ok = in.offset(), oo = in.offset();
        const std::vector<int16_t> p = in.samples(op, n);
        std::vector<double> kept_want = in.sums(ok, n);
        kept_want.resize(kept_want.size() + guard, -7.5);
        std::vector<double> kept_got = kept_want;
        double ga, fb;
        in.weights(&ga, &fb);
        std::vector<int16_t> out_want = guarded<int16_t>(oo, n, 0x5A5A), out_got = out_want;
        a.blend_kept_row(p.data() + op, kept_want.data() + ok, out_want.data() + oo, n, ga, fb);
        b.blend_kept_row(p.data() + op, kept_got.data() + ok, out_got.data() + oo, n, ga, fb);
        if (!same_bits(out_want, out_got)) return "output row differs";
        return same_bits(kept_want, kept_got) ? "" : "held row differs";
    });
}

TEST(ResamplePrimitives, BlendKeptRowPair) {
    every_level_and_length("blend_kept_row_pair", [](const resample_primitives& a,
                                                     const resample_primitives& b, int n,
                                                     inputs& in) -> std::string {
        const int o1 = in.offset(), o2 = in.offset(), ok = in.offset(), oo = in.offset();
        const std::vector<int16_t> p1 = in.samples(o1, n), p2 = in.samples(o2, n);
        std::vector<double> kept_want = in.sums(ok, n);
        kept_want.resize(kept_want.size() + guard, -7.5);
        std::vector<double> kept_got = kept_want;
        double g1, f1, g2, f2;
        in.weights(&g1, &f1);
        in.weights(&g2, &f2);
        std::vector<int16_t> out1_want = guarded<int16_t>(oo, n, 0x5A5A), out2_want = out1_want;
        std::vector<int16_t> out1_got = out1_want, out2_got = out1_want;
        a.blend_kept_row_pair(p1.data() + o1, p2.data() + o2, kept_want.data() + ok,
                              out1_want.data() + oo, out2_want.data() + oo, n, g1, f1, g2, f2);
        b.blend_kept_row_pair(p1.data() + o1, p2.data() + o2, kept_got.data() + ok,
                              out1_got.data() + oo, out2_got.data() + oo, n, g1, f1, g2, f2);
        if (!same_bits(out1_want, out1_got)) return "first output row differs";
        if (!same_bits(out2_want, out2_got)) return "second output row differs";
        return same_bits(kept_want, kept_got) ? "" : "held row differs";
    });
}

TEST(ResamplePrimitives, BlendSums) {
    every_level_and_length("blend_sums", [](const resample_primitives& a, const resample_primitives& b,
                                            int n, inputs& in) -> std::string {
        const int oa = in.offset(), ob = in.offset(), oo = in.offset();
        const std::vector<double> x = in.sums(oa, n), y = in.sums(ob, n);
        double ga, fb;
        in.weights(&ga, &fb);
        std::vector<int16_t> want = guarded<int16_t>(oo, n, 0x5A5A), got = want;
        a.blend_sums(x.data() + oa, y.data() + ob, want.data() + oo, n, ga, fb);
        b.blend_sums(x.data() + oa, y.data() + ob, got.data() + oo, n, ga, fb);
        return same_bits(want, got) ? "" : "output row differs";
    });
}

// The plain loops against the definition written out here: a planted fault
// in the portable set (which every other set is compared with) shows too.
TEST(ResamplePrimitives, PlainSlotsByHand) {
    resample_table plain;
    resample_table_fill(plain, 0);
    const int16_t p[6] = {100, -200, 300, 1000, 2000, -3000};
    const double gx[3] = {0.75, 0.75, 0.75}, fx[3] = {0.25, 0.25, 0.25};
    double sums[3];
    plain.k.blend_run(p, gx, fx, sums, 3);
    EXPECT_EQ(sums[0], 325.0);   // 100 * 0.75 + 1000 * 0.25
    EXPECT_EQ(sums[1], 350.0);   // -150 + 500
    EXPECT_EQ(sums[2], -525.0);  // 225 - 750
    const double a[3] = {10.9, -10.9, 3.0}, b[3] = {0.0, 0.0, 5.0};
    int16_t out[3];
    plain.k.blend_sums(a, b, out, 3, 1.0, 0.5);
    EXPECT_EQ(out[0], 10);   // truncated toward zero
    EXPECT_EQ(out[1], -10);  // not floored
    EXPECT_EQ(out[2], 5);    // 3 + 2.5 = 5.5
    double kept[3] = {1.0, 2.0, 3.0};
    plain.k.blend_kept_row(p, kept, out, 3, 0.5, 0.5);
    EXPECT_EQ(out[0], 50);    // (1 + 100) / 2 = 50.5
    EXPECT_EQ(out[1], -99);   // (2 - 200) / 2
    EXPECT_EQ(out[2], 151);   // (3 + 300) / 2 = 151.5
    EXPECT_EQ(kept[0], 100.0);
    EXPECT_EQ(kept[2], 300.0);
}

}  // namespace
