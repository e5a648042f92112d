// SPDX-License-Identifier: BSD-3-Clause
#include "decode/older/inverse_predictor.h"

#include <new>

namespace zem {

namespace {

using Member = void (*)(int32_t* in, int32_t* out, int n);

// A member that is a plain function of the arrays.
class CMemberPredictor : public CInversePredictor {
public:
    explicit CMemberPredictor(Member member) : m_member(member) {}
    void Reconstruct(int32_t* input, int32_t* output, int count) override { m_member(input, output, count); }

private:
    Member m_member;
};

// The level-1000 integrator works in place; it is handed the output array.
void Integrator375Member(int32_t* in, int32_t* out, int n) {
    if (in != out)
        for (int i = 0; i < n; ++i)
            out[i] = in[i];
    inverse_members::Integrator375(out, n);
}

Member MemberFor(int level, int version) {
    using namespace inverse_members;
    switch (level) {
    case 1000:
        return version < 3320 ? FirstOrder4000 : Integrator375Member;
    case 2000:
        return version < 3320 ? Cascade300 : version < 3800 ? Cascade370 : Cascade740;
    case 3000:
        if (version < 3320)
            return Poly3000;
        if (version < 3600)
            return Step3320;
        return version < 3700 ? High3600 : version < 3800 ? High3700 : High3800;
    default:
        return nullptr;
    }
}

}  // namespace

std::unique_ptr<CInversePredictor> CreateInversePredictor(int level, int version) {
    if (level == 4000)
        return std::unique_ptr<CInversePredictor>(new (std::nothrow) CInversePredictor);
    Member member = MemberFor(level, version);
    if (!member)
        return nullptr;
    return std::unique_ptr<CInversePredictor>(new (std::nothrow) CMemberPredictor(member));
}

}  // namespace zem
