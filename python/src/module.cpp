// terravel._core: the formula module and the row engine over NumPy arrays.
//
// Thin on purpose: every argument becomes an array of doubles, the arguments
// broadcast together as in NumPy, and a loop in C++ with the GIL released
// calls the C++ functions element by element. The package's Python layer
// (terravel/__init__.py) adds the keywords, defaults and named tuples.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include "heat_balance.h"
#include "row.h"

namespace py = pybind11;

namespace {

// ---------------------------------------------------------------------------
// Exceptions: terravel.Error (an ArithmeticError) and its two subclasses.

PyObject* gError = nullptr;
PyObject* gFloatingPointError = nullptr;
PyObject* gNoBalanceError = nullptr;

// A failure found inside a loop that runs without the GIL, raised after it.
struct Failure {
    bool happened = false;
    PyObject* type = nullptr;
    std::size_t element = 0;
    std::string message;
};

PyObject* typeOf(const physics::Error& error) {
    return dynamic_cast<const physics::NoBalanceError*>(&error) ? gNoBalanceError
                                                                 : gFloatingPointError;
}

std::string indexText(const py::tuple& index) {
    if (index.size() == 1)
        return py::str(index[0]).cast<std::string>();
    return py::repr(index).cast<std::string>();
}

// The multi-index of flat element `element` of an array of `shape`.
py::tuple unravel(std::size_t element, const std::vector<py::ssize_t>& shape) {
    py::tuple index(shape.size());
    for (std::size_t d = shape.size(); d-- > 0;) {
        const auto extent = static_cast<std::size_t>(shape[d]);
        index[d] = py::int_(element % extent);
        element /= extent;
    }
    return index;
}

// Raises the failure as its Python type. For array arguments the message
// starts with the element's index ("at index 3: ...", "at index (1, 2): ...")
// and the exception carries it as its `index` attribute.
[[noreturn]] void raise(const Failure& failure, const std::vector<py::ssize_t>& shape) {
    const py::tuple index = unravel(failure.element, shape);
    std::string message = failure.message;
    if (!shape.empty())
        message = "at index " + indexText(index) + ": " + message;
    py::object error = py::reinterpret_steal<py::object>(
        PyObject_CallFunction(failure.type, "s", message.c_str()));
    if (!error)
        throw py::error_already_set();
    error.attr("index") = index;
    PyErr_SetObject(failure.type, error.ptr());
    throw py::error_already_set();
}

// ---------------------------------------------------------------------------
// Arguments: arrays of doubles broadcast together.

// Any real numbers: a float, an int, a list, an array of any real dtype.
// Strings, complex numbers and objects are refused with a TypeError.
py::array_t<double> asDoubles(py::handle value, std::string_view function,
                              std::string_view name) {
    static const auto* asarray = new py::object(py::module_::import("numpy").attr("asarray"));
    const py::array array = (*asarray)(value);
    const char kind = array.dtype().kind();
    if (std::string_view("biuf").find(kind) == std::string_view::npos)
        throw py::type_error(std::string(function) + "() argument '" + std::string(name) +
                             "' must be real numbers, not " +
                             (array.ndim() == 0 ? std::string(py::str(py::type::of(value).attr("__name__")))
                                                : "an array of " + std::string(py::str(array.dtype()))));
    auto doubles = py::array_t<double, py::array::forcecast>::ensure(array);
    if (!doubles)
        throw py::error_already_set();
    return doubles;
}

std::string shapeText(const py::array& array) {
    return py::repr(py::tuple(array.attr("shape"))).cast<std::string>();
}

// N arguments broadcast to one shape, walked element by element in C order.
template <std::size_t N>
class Broadcast {
public:
    Broadcast(std::string_view function, const std::array<const char*, N>& names,
              const std::array<py::handle, N>& args) {
        for (std::size_t k = 0; k < N; ++k)
            arrays_[k] = asDoubles(args[k], function, names[k]);
        py::ssize_t ndim = 0;
        for (const auto& a : arrays_)
            ndim = std::max(ndim, a.ndim());
        shape_.assign(static_cast<std::size_t>(ndim), 1);
        std::vector<std::size_t> owner(shape_.size(), 0);
        for (std::size_t k = 0; k < N; ++k) {
            const py::ssize_t lead = ndim - arrays_[k].ndim();
            for (py::ssize_t d = 0; d < arrays_[k].ndim(); ++d) {
                const py::ssize_t extent = arrays_[k].shape(d);
                auto& out = shape_[static_cast<std::size_t>(lead + d)];
                if (extent == out || extent == 1)
                    continue;
                if (out != 1) {
                    const std::size_t other = owner[static_cast<std::size_t>(lead + d)];
                    throw py::value_error(
                        std::string(function) + "(): cannot broadcast " + names[other] +
                        " with shape " + shapeText(arrays_[other]) + " together with " +
                        names[k] + " with shape " + shapeText(arrays_[k]));
                }
                out = extent;
                owner[static_cast<std::size_t>(lead + d)] = k;
            }
        }
        size_ = 1;
        for (const py::ssize_t extent : shape_)
            size_ *= static_cast<std::size_t>(extent);
        // Byte strides of each argument along the result's axes; 0 where it
        // is repeated.
        strides_.assign(shape_.size(), {});
        for (std::size_t k = 0; k < N; ++k) {
            data_[k] = reinterpret_cast<const char*>(arrays_[k].data());
            const py::ssize_t lead = ndim - arrays_[k].ndim();
            for (py::ssize_t d = 0; d < arrays_[k].ndim(); ++d)
                if (arrays_[k].shape(d) != 1)
                    strides_[static_cast<std::size_t>(lead + d)][k] = arrays_[k].strides(d);
        }
    }

    const std::vector<py::ssize_t>& shape() const { return shape_; }
    std::size_t size() const { return size_; }
    bool scalar() const { return shape_.empty(); }

    // Walks the elements; needs no GIL.
    class Walker {
    public:
        explicit Walker(const Broadcast& b) : b_(b), index_(b.shape_.size(), 0) {}

        template <class Values>
        void read(Values& values) const {
            for (std::size_t k = 0; k < N; ++k)
                std::memcpy(&values[k], b_.data_[k] + offset_[k], sizeof(double));
        }

        void next() {
            for (std::size_t d = index_.size(); d-- > 0;) {
                if (++index_[d] < b_.shape_[d]) {
                    for (std::size_t k = 0; k < N; ++k)
                        offset_[k] += b_.strides_[d][k];
                    return;
                }
                index_[d] = 0;
                for (std::size_t k = 0; k < N; ++k)
                    offset_[k] -= b_.strides_[d][k] * (b_.shape_[d] - 1);
            }
        }

    private:
        const Broadcast& b_;
        std::vector<py::ssize_t> index_;
        std::array<py::ssize_t, N> offset_{};
    };

private:
    std::array<py::array_t<double>, N> arrays_;
    std::array<const char*, N> data_{};
    std::vector<py::ssize_t> shape_;
    std::vector<std::array<py::ssize_t, N>> strides_;
    std::size_t size_ = 0;
};

// A result: a float for scalar arguments, the array otherwise.
template <class T>
py::object result(py::array_t<T>& array, bool scalar) {
    if (scalar)
        return py::cast(*array.data());
    return std::move(array);
}

// ---------------------------------------------------------------------------
// The formula functions, each element through one C++ call.

// Applies kernel(in, out) to every element; a physics::Error raises.
template <std::size_t NIn, std::size_t NOut, class Kernel>
py::object mapFormula(const char* function, const std::array<const char*, NIn>& names,
                      const std::array<py::handle, NIn>& args, Kernel kernel) {
    const Broadcast<NIn> b(function, names, args);
    std::array<py::array_t<double>, NOut> outputs;
    std::array<double*, NOut> out;
    for (std::size_t k = 0; k < NOut; ++k) {
        outputs[k] = py::array_t<double>(b.shape());
        out[k] = outputs[k].mutable_data();
    }
    Failure failure;
    {
        py::gil_scoped_release release;
        typename Broadcast<NIn>::Walker walker(b);
        std::array<double, NIn> in;
        std::array<double, NOut> values;
        for (std::size_t i = 0; i < b.size(); ++i, walker.next()) {
            walker.read(in);
            try {
                kernel(in, values);
            } catch (const physics::Error& error) {
                failure = {true, typeOf(error), i, error.what()};
                break;
            }
            for (std::size_t k = 0; k < NOut; ++k)
                out[k][i] = values[k];
        }
    }
    if (failure.happened)
        raise(failure, b.shape());
    if constexpr (NOut == 1) {
        return result(outputs[0], b.scalar());
    } else {
        py::tuple tuple(NOut);
        for (std::size_t k = 0; k < NOut; ++k)
            tuple[k] = result(outputs[k], b.scalar());
        return tuple;
    }
}

// Binds a C++ function of N doubles that returns a double, keywords argNames.
template <class F, class... Names>
void defFormula(py::module_& m, const char* name, F f, const char* doc, Names... argNames) {
    constexpr std::size_t N = sizeof...(Names);
    const std::array<const char*, N> names{argNames...};
    auto bind = [&]<std::size_t... I>(std::index_sequence<I...>) {
        m.def(
            name,
            [name, names, f](decltype((void)I, py::object())... args) {
                return mapFormula<N, 1>(
                    name, names, {py::handle(args)...},
                    [f](const std::array<double, N>& in, std::array<double, 1>& out) {
                        out[0] = f(in[I]...);
                    });
            },
            doc, py::arg(names[I])...);
    };
    bind(std::make_index_sequence<N>());
}

// ---------------------------------------------------------------------------
// The calculate command over arrays, through the row engine.

constexpr std::size_t kInputs = calculator::kInputNames.size();
constexpr std::size_t kResults = calculator::kResultNames.size();

// Ten arguments in the order of calculator::kInputNames; the twelve results,
// the status code of each element (calculator::RowStatus) and a dict of the
// failed elements' messages by index. With raiseErrors the first failing
// element raises instead: ValueError for an input out of range, else
// terravel.FloatingPointError or terravel.NoBalanceError.
py::tuple balance(const std::array<py::handle, kInputs>& args, bool raiseErrors) {
    std::array<const char*, kInputs> names;
    for (std::size_t k = 0; k < kInputs; ++k)
        names[k] = calculator::kInputNames[k].data();
    const Broadcast<kInputs> b("balance", names, args);

    std::array<py::array_t<double>, kResults> outputs;
    std::array<double*, kResults> out;
    for (std::size_t k = 0; k < kResults; ++k) {
        outputs[k] = py::array_t<double>(b.shape());
        out[k] = outputs[k].mutable_data();
    }
    py::array_t<std::uint8_t> status(b.shape());
    std::uint8_t* code = status.mutable_data();

    std::vector<std::pair<std::size_t, std::string>> failed;
    Failure failure;
    {
        py::gil_scoped_release release;
        typename Broadcast<kInputs>::Walker walker(b);
        // Blocks of rows: the arguments are gathered into a small buffer that
        // stays in cache while the rows are computed, then the results are
        // scattered to the twelve arrays. Straight from 23 arrays at once,
        // the rows wait on memory.
        constexpr std::size_t kBlock = 256;
        std::vector<calculator::RowInputs> in(kBlock);
        std::vector<calculator::RowResults> values(kBlock);
        std::vector<calculator::RowOutcome> outcomes(kBlock);
        for (std::size_t start = 0; start < b.size() && !failure.happened; start += kBlock) {
            const std::size_t n = std::min(kBlock, b.size() - start);
            for (std::size_t j = 0; j < n; ++j, walker.next())
                walker.read(in[j]);
            for (std::size_t j = 0; j < n; ++j)
                outcomes[j] = calculator::computeRow(in[j], values[j]);
            for (std::size_t j = 0; j < n; ++j) {
                const std::size_t i = start + j;
                const calculator::RowOutcome outcome = outcomes[j];
                code[i] = static_cast<std::uint8_t>(outcome.status);
                for (std::size_t k = 0; k < kResults; ++k)
                    out[k][i] = values[j][k];
                if (outcome.balanced()) [[likely]]
                    continue;
                std::string message = calculator::rowMessage(outcome, in[j]);
                if (!raiseErrors) {
                    failed.emplace_back(i, std::move(message));
                    continue;
                }
                PyObject* type =
                    outcome.status == calculator::RowStatus::OutOfRange ? PyExc_ValueError
                    : outcome.status == calculator::RowStatus::NoBalance ? gNoBalanceError
                                                                         : gFloatingPointError;
                failure = {true, type, i, std::move(message)};
                break;
            }
        }
    }
    if (failure.happened)
        raise(failure, b.shape());

    py::tuple results(kResults);
    for (std::size_t k = 0; k < kResults; ++k)
        results[k] = result(outputs[k], b.scalar());
    py::dict messages;
    for (auto& [element, message] : failed)
        messages[unravel(element, b.shape())] = py::str(message);
    py::object codes = b.scalar() ? py::int_(*code) : py::object(std::move(status));
    return py::make_tuple(results, codes, messages);
}

// ---------------------------------------------------------------------------

py::tuple strings(const auto& names) {
    py::tuple tuple(names.size());
    for (std::size_t k = 0; k < names.size(); ++k)
        tuple[k] = py::str(names[k].data(), names[k].size());
    return tuple;
}

}  // namespace

PYBIND11_MODULE(_core, m) {
    m.doc() = "Terravel's formula module and row engine over NumPy arrays.";

    gError = PyErr_NewExceptionWithDoc(
        "terravel.Error",
        "Base of the errors of Terravel's calculations; an ArithmeticError.",
        PyExc_ArithmeticError, nullptr);
    gFloatingPointError = PyErr_NewExceptionWithDoc(
        "terravel.FloatingPointError",
        "A floating-point fault: division by zero, overflow or an invalid operation.",
        gError, nullptr);
    gNoBalanceError = PyErr_NewExceptionWithDoc(
        "terravel.NoBalanceError",
        "No surface temperature closes the heat balance.", gError, nullptr);
    m.attr("Error") = py::handle(gError);
    m.attr("FloatingPointError") = py::handle(gFloatingPointError);
    m.attr("NoBalanceError") = py::handle(gNoBalanceError);

    // -- moist air
    defFormula(m, "get_rho", physics::getRho,
               "Density of moist air, kg/m3.\n\n"
               "1.293 * (273.15 / (T + 273.15)) * (P / 1013.25) * (1 - (e / P) * 0.378)\n"
               "T air temperature (degC), P pressure (hPa), e vapour pressure (hPa).\n"
               "Domain: T != -273.15, P != 0.",
               "T", "P", "e");
    defFormula(m, "get_cp", physics::getCp,
               "Specific heat of air at constant pressure, J/(kg K): 1005 + 0.05 T.\n\n"
               "T temperature (degC). Domain: any finite T.",
               "T");
    defFormula(m, "get_l", physics::getL,
               "Latent heat of vaporisation, J/kg: 2500000 - 2400 T.\n\n"
               "T temperature (degC). Domain: any finite T.",
               "T");
    defFormula(m, "get_pz", physics::getPz,
               "Pressure at height z above a reference level, in the unit of P0.\n\n"
               "P0 * ((Tk - 0.0065 z) / Tk) ** (9.8066 / 287 / 0.0065), Tk = T + 273.15.\n"
               "P0 pressure at the reference level, T air temperature (degC), z height (m).\n"
               "Domain: T != -273.15 and 0.0065 z < T + 273.15.",
               "P0", "T", "z");
    defFormula(m, "get_es", physics::getEs,
               "Saturation vapour pressure over water, hPa (Tetens, base 10).\n\n"
               "6.1078 * 10 ** (7.5 T / (237.3 + T)), T in degC.\n"
               "Domain: T != -237.3; within about 6 K below -237.3 the power overflows.",
               "T");
    defFormula(m, "get_qs", physics::getQs,
               "Saturation specific humidity, kg/kg: get_q(get_es(T), P).\n\n"
               "T temperature (degC), P pressure (hPa).\n"
               "Domain: that of get_es, P != 0 and 0.378 get_es(T) != P.",
               "T", "P");
    defFormula(m, "get_des", physics::getDes,
               "Slope of the saturation vapour pressure curve, hPa/K.\n\n"
               "10 ** a * (A / B), a = 7.5 T / (237.3 + T), A = (2500 - 2.4 T) * 6.1078,\n"
               "B = 0.4615 (T + 273.15) ** 2; T in degC.\n"
               "Domain: T != -273.15, T != -237.3.",
               "T");
    defFormula(m, "get_dqs", physics::getDqs,
               "Slope of the saturation specific humidity, 1/K.\n\n"
               "get_des(T) * 0.622 * P / d ** 2, d = P - 0.378 get_es(T).\n"
               "T temperature (degC), P pressure (hPa).\n"
               "Domain: that of get_des, 0.378 get_es(T) != P.",
               "T", "P");
    defFormula(m, "get_q", physics::getQ,
               "Specific humidity from vapour pressure, kg/kg.\n\n"
               "0.622 r / (1 - 0.378 r), r = e / P; e vapour pressure (hPa), P pressure (hPa).\n"
               "Domain: P != 0, 0.378 e != P.",
               "e", "P");
    defFormula(m, "get_e", physics::getE,
               "Vapour pressure from specific humidity, hPa.\n\n"
               "q P / (0.622 + 0.378 q); q specific humidity (kg/kg), P pressure (hPa).\n"
               "Domain: 0.622 + 0.378 q != 0.",
               "q", "P");
    defFormula(m, "get_erh", physics::getErh,
               "Vapour pressure from relative humidity, hPa: f * get_es(T).\n\n"
               "f relative humidity as a fraction (0.6, not 60), T temperature (degC).\n"
               "Domain: that of get_es.",
               "f", "T");
    defFormula(m, "get_ewet", physics::getEwet,
               "Vapour pressure of the air from a psychrometer, hPa.\n\n"
               "get_es(Twet) - 0.00066 (1 + 0.00115 Twet) (Tdry - Twet) P;\n"
               "Tdry, Twet dry- and wet-bulb temperatures (degC), P pressure (hPa).\n"
               "Domain: that of get_es at Twet.",
               "Tdry", "Twet", "P");
    defFormula(m, "get_tdew", physics::getTdew,
               "Dew point, degC: 237.3 x / (7.5 - x), x = log10(e / 6.11).\n\n"
               "e vapour pressure (hPa). Domain: e > 0, x != 7.5. For e <= 0 it writes a\n"
               "warning to standard error, then raises FloatingPointError.",
               "e");

    // -- the surface temperature solver
    m.def(
        "get_ts",
        [](py::object Q, py::object u, py::object Ta, py::object qa, py::object pa,
           py::object ch, py::object beta) {
            return mapFormula<7, 4>(
                "get_ts", {"Q", "u", "Ta", "qa", "pa", "ch", "beta"},
                {Q, u, Ta, qa, pa, ch, beta},
                [](const std::array<double, 7>& in, std::array<double, 4>& out) {
                    out[0] = physics::getTs(in[0], in[1], in[2], in[3], in[4], in[5], in[6],
                                            out[1], out[2], out[3]);
                });
        },
        "Ground surface temperature at which the heat balance closes: (Ts, Lu, H, lE).\n\n"
        "Searches Ts (degC) with Q = Lu + H + lE to within 0.0005 W/m2, where\n"
        "Lu = 5.67e-8 (Ts + 273.15) ** 4, H = cp rho ch u (Ts - Ta) and\n"
        "lE = L rho beta ch u (qs(Ts) - qa), air properties taken at Ta.\n"
        "Q available energy Rs - Rsu + Ld - G (W/m2), u wind velocity (m/s),\n"
        "Ta air temperature (degC), qa specific humidity of the air (kg/kg),\n"
        "pa pressure (hPa), ch bulk transfer coefficient, beta evaporative efficiency.\n"
        "Lu, H, lE in W/m2. Raises NoBalanceError when no temperature closes the\n"
        "balance (for example u = 0 with Q < 0), FloatingPointError on a fault.",
        py::arg("Q"), py::arg("u"), py::arg("Ta"), py::arg("qa"), py::arg("pa"), py::arg("ch"),
        py::arg("beta"));

    // -- radiation and evaporation estimates
    defFormula(m, "get_ldown0", physics::getLdown0,
               "Clear-sky downward long-wave radiation, W/m2.\n\n"
               "B(T) * ((0.19 x + 0.74) + 0.07 x ** 2), x = log10(get_w(get_tdew(e))),\n"
               "B(T) = 5.67e-8 (T + 273.15) ** 4. T air temperature (degC),\n"
               "e vapour pressure (hPa). Domain: e > 0.",
               "T", "e");
    defFormula(m, "get_ldown", physics::getLdown,
               "Downward long-wave radiation corrected for cloud, W/m2.\n\n"
               "b (1 - k (1 - L0 / b)), b = B(T), L0 = get_ldown0(T, e),\n"
               "k = 0.826 s ** 3 - 1.234 s ** 2 + 1.135 s + 0.298 (0.2235 for s == 0).\n"
               "T air temperature (degC), e vapour pressure (hPa), s clearness ratio\n"
               "(0 fully clouded to 1 clear). Domain: that of get_ldown0, T != -273.15.",
               "T", "e", "s");
    defFormula(m, "get_w", physics::getW,
               "Precipitable water, cm: 10 ** (0.0315 Td - 0.1836).\n\n"
               "Td dew point (degC). Domain: any Td whose power stays finite.",
               "Td");
    defFormula(m, "get_w2", physics::getW2,
               "Precipitable water, second coefficient set, cm: 10 ** (0.0312 Td - 0.0963).\n\n"
               "Td dew point (degC). Domain: any Td whose power stays finite.",
               "Td");
    m.def(
        "get_ts_eq",
        [](py::object Q, py::object T, py::object P) {
            return mapFormula<3, 4>(
                "get_ts_eq", {"Q", "T", "P"}, {Q, T, P},
                [](const std::array<double, 3>& in, std::array<double, 4>& out) {
                    out[0] = physics::getTsEq(in[0], in[1], in[2], out[1], out[2], out[3]);
                });
        },
        "Equilibrium partition of the available energy: (Ts, Lu, H, lE).\n\n"
        "With g = cp / L and d = get_dqs(T, P): H = g / (g + d) (Q - B(T)),\n"
        "lE = d / (g + d) (Q - B(T)), Lu = Q - H - lE; Ts is the temperature (degC)\n"
        "whose black-body emission is Lu. Q available energy (W/m2), T air\n"
        "temperature (degC), P pressure (hPa); fluxes in W/m2.\n"
        "Domain: that of get_dqs, T != 2500000 / 2400.",
        py::arg("Q"), py::arg("T"), py::arg("P"));
    m.def(
        "get_epen",
        [](py::object Q, py::object reserved, py::object T, py::object u, py::object e) {
            return mapFormula<5, 1>(
                "get_epen", {"Q", "reserved", "T", "u", "e"}, {Q, reserved, T, u, e},
                [](const std::array<double, 5>& in, std::array<double, 1>& out) {
                    out[0] = physics::getEpen(in[0], in[1], in[2], in[3], in[4]);
                });
        },
        "Penman evaporation, mm per day for Q in J/m2 per day.\n\n"
        "D / (D + gamma) (Q / L) + (get_es(T) - e) (gamma / (D + gamma) f),\n"
        "gamma = 0.66 hPa/K, f = (0.54 u + 1) 0.26, D = get_des(T), L = get_l(T).\n"
        "T air temperature (degC), u wind velocity (m/s), e vapour pressure (hPa);\n"
        "reserved is not read. Domain: that of get_des, T != 2500000 / 2400.",
        py::arg("Q"), py::arg("reserved") = 0.0, py::arg("T"), py::arg("u"), py::arg("e"));
    m.def(
        "get_ept",
        [](py::object Q, py::object reserved, py::object T) {
            return mapFormula<3, 1>(
                "get_ept", {"Q", "reserved", "T"}, {Q, reserved, T},
                [](const std::array<double, 3>& in, std::array<double, 1>& out) {
                    out[0] = physics::getEpt(in[0], in[1], in[2]);
                });
        },
        "Priestley-Taylor evaporation, mm per period of Q (J/m2 per period).\n\n"
        "(1.26 D) / (D + gamma) * (Q / L), D = get_des(T), gamma = 0.66 hPa/K,\n"
        "L = get_l(T); T air temperature (degC); reserved is not read.\n"
        "Domain: that of get_des, T != 2500000 / 2400.",
        py::arg("Q"), py::arg("reserved") = 0.0, py::arg("T"));
    defFormula(m, "get_prod", physics::getProd,
               "Scaled product: (7.500000000000001e-05 * a) * b.\n\nDomain: finite a, b.",
               "a", "b");
    defFormula(m, "get_lin_up", physics::getLinUp,
               "Linear conversion 1.234 x - 0.021.\n\nDomain: finite x.", "x");
    defFormula(m, "get_lin_down", physics::getLinDown,
               "Linear conversion 0.808 x + 0.021 (close to, not exactly, the inverse of\n"
               "get_lin_up).\n\nDomain: finite x.",
               "x");

    // -- the calculate command
    m.def(
        "balance",
        [](py::object Ta, py::object rh, py::object u, py::object pa, py::object albedo,
           py::object ch, py::object beta, py::object Rs, py::object Ld, py::object G,
           bool raiseErrors) {
            return balance({Ta, rh, u, pa, albedo, ch, beta, Rs, Ld, G}, raiseErrors);
        },
        "The calculate command over arrays: (results, status, messages).\n\n"
        "Arguments in the order of INPUT_NAMES, then raise_errors. results holds the\n"
        "twelve results in the order of RESULT_NAMES, status the code of each element\n"
        "(STATUS_NAMES), messages the failed elements' reasons by index.",
        py::arg("Ta"), py::arg("rh"), py::arg("u"), py::arg("pa"), py::arg("albedo"),
        py::arg("ch"), py::arg("beta"), py::arg("Rs"), py::arg("Ld"), py::arg("G"),
        py::arg("raise_errors"));

    m.attr("INPUT_NAMES") = strings(calculator::kInputNames);
    m.attr("RESULT_NAMES") = strings(calculator::kResultNames);
    m.attr("RESULT_UNITS") = strings(calculator::kResultUnits);
    py::dict defaults;
    const calculator::RowInputs defaultInputs = calculator::defaultRowInputs();
    for (std::size_t k = 0; k < kInputs; ++k)
        defaults[py::str(calculator::kInputNames[k].data(), calculator::kInputNames[k].size())] =
            defaultInputs[k];
    m.attr("DEFAULT_INPUTS") = defaults;
    py::tuple statusNames(calculator::kRowStatusCount);
    py::tuple faultMessages(calculator::kRowStatusCount);
    for (int c = 0; c < calculator::kRowStatusCount; ++c) {
        const auto s = static_cast<calculator::RowStatus>(c);
        const std::string_view n = calculator::statusName(s);
        statusNames[static_cast<std::size_t>(c)] = py::str(n.data(), n.size());
        faultMessages[static_cast<std::size_t>(c)] = calculator::faultMessage(s);
    }
    m.attr("STATUS_NAMES") = statusNames;
    m.attr("FAULT_MESSAGES") = faultMessages;
}
