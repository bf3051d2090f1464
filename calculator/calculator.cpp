#include "calculator.h"

#include <charconv>
#include <clocale>
#include <cstdlib>
#include <locale.h>

#include "checked.h"
#include "heat_balance.h"

namespace calculator {

namespace {

using W = WorkValues;
using M = MemoryValues;

// The C locale, for reading numbers with a full stop whatever the user's
// regional settings are.
locale_t cLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t{});
    return locale;
}

}  // namespace

const std::array<Input, 10> kInputs{{
    {1, &W::Ta, &M::Ta, 15.0, 1, Check::Any},
    {2, &W::rh, &M::rh, 60.0, 1, Check::Percent},
    {3, &W::u, &M::u, 2.0, 1, Check::NonNegative},
    {4, &W::pa, &M::pa, 1033.2, 1, Check::Positive},
    {7, &W::albedo, &M::albedo, 0.1, 2, Check::Fraction},
    {8, &W::ch, &M::ch, 0.001, 5, Check::Fraction},
    {9, &W::beta, &M::beta, 0.2, 2, Check::NonNegative},
    {13, &W::Rs, &M::Rs, 300.0, 1, Check::Any},
    {14, &W::Ld, &M::Ld, 300.0, 1, Check::Any},
    {20, &W::G, &M::G, 50.0, 1, Check::Any},
}};

const std::array<FieldWrite, 26> kWriteOrder{{
    {1, &W::Ta, 1, true, false},
    {2, &W::rh, 1, true, false},
    {3, &W::u, 1, true, false},
    {4, &W::pa, 1, true, false},
    {5, &W::ea, 1, false, false},
    {6, &W::qa, 4, false, false},
    {7, &W::albedo, 2, true, false},
    {8, &W::ch, 5, true, false},
    {9, &W::beta, 2, true, false},
    {10, &W::Ts, 1, false, false},
    {11, &W::es, 1, false, false},
    {12, &W::qs, 4, false, false},
    {13, &W::Rs, 1, true, false},
    {14, &W::Ld, 1, true, false},
    {15, &W::Rsu, 1, false, false},
    {16, &W::Lu, 1, false, false},
    {17, &W::Rn, 1, false, false},
    {18, &W::H, 1, false, false},
    {19, &W::lE, 1, false, false},
    {20, &W::G, 1, true, false},
    {21, &W::bowen, 3, false, true},
    {26, &W::evap, 2, false, false},
    {22, &W::Rn, 1, false, false},
    {23, &W::H, 1, false, false},
    {24, &W::lE, 1, false, false},
    {25, &W::G, 1, false, false},  // read-only copy of the ground heat flux
}};

bool accepts(Check check, double x) {
    switch (check) {
    case Check::Any: return true;
    case Check::Percent: return x >= 0.0 && x <= 100.0;
    case Check::NonNegative: return x >= 0.0;
    case Check::Positive: return x > 0.0;
    case Check::Fraction: return x >= 0.0 && x <= 1.0;
    }
    return false;
}

const Input* inputForEdit(int edit) {
    for (const Input& input : kInputs)
        if (input.edit == edit)
            return &input;
    return nullptr;
}

std::string formatValue(double value, int decimals) {
    char buffer[kFormatBuffer];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                            std::chars_format::fixed, decimals);
    if (error != std::errc{})
        return std::string(kHidden);  // cannot happen for the formats used
    return std::string(buffer, end);
}

std::string fieldText(const FieldWrite& write, const WorkValues& values, WriteKind kind) {
    const double value = values.*write.value;
    if (kind == WriteKind::Restore && !write.input)
        return std::string(kHidden);
    if (kind == WriteKind::Calculate && write.hideNegative && value < 0.0)
        return std::string(kHidden);
    return formatValue(value, write.decimals);
}

double readNumber(std::string_view text) {
    const std::string terminated(text);
    return strtod_l(terminated.c_str(), nullptr, cLocale());
}

void applyInputText(const Input& input, std::string_view text, WorkValues& values) {
    const double x = readNumber(text);
    if (accepts(input.check, x))
        values.*input.work = x;
}

void setDefaults(MemoryValues& memory) {
    for (const Input& input : kInputs)
        memory.*input.memory = input.defaultValue;
}

void restoreInputs(const MemoryValues& memory, WorkValues& values) {
    for (const Input& input : kInputs)
        values.*input.work = memory.*input.memory;
}

void remember(const WorkValues& values, MemoryValues& memory) {
    for (const Input& input : kInputs)
        memory.*input.memory = values.*input.work;
}

void calculate(WorkValues& v) {
    using physics::detail::Real;
    v.ea = physics::getErh((Real(v.rh) * 0.01).v, v.Ta);
    v.qa = physics::getQ(v.ea, v.pa);
    v.Rsu = (Real(v.Rs) * v.albedo).v;
    const Real Q = Real(v.Rs) - v.Rsu + v.Ld - v.G;  // available energy, W/m2
    v.Ts = physics::getTs(Q.v, v.u, v.Ta, v.qa, v.pa, v.ch, v.beta, v.Lu, v.H, v.lE);
    v.es = physics::getEs(v.Ts);
    v.qs = physics::getQs(v.Ts, v.pa);
    v.Rn = (Real(v.Rs) + v.Ld - v.Rsu - v.Lu).v;
    v.bowen = v.lE == 0.0 ? -1.0 : (Real(v.H) / v.lE).v;
    const Real L = physics::getL(v.Ta);  // latent heat at the air temperature
    v.evap = (Real(v.lE) * 3600.0 * 24.0 / L).v;
}

}  // namespace calculator
