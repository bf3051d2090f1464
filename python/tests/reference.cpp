// Reference results straight from the C++ code, for the Python tests: one
// line of input, one line of output.
//
//   calculate Ta rh u pa albedo ch beta Rs Ld G   the window's calculate
//   getEs T | getQs T P | getTdew e | getLdown T e s   a formula
//   getTs Q u Ta qa pa ch beta | getTsEq Q T P    Ts Lu H lE
//
// Numbers are read with strtod (hexadecimal floats included) and written as
// hexadecimal floats ("%a"), so they cross exactly. A failure prints
// "error " and the error's message.
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "calculator.h"
#include "heat_balance.h"

namespace {

using Values = std::vector<double>;

std::vector<double> calculate(const Values& in) {
    calculator::WorkValues w{};
    for (std::size_t i = 0; i < calculator::kInputs.size(); ++i)
        w.*calculator::kInputs[i].work = in.at(i);
    calculator::calculate(w);
    return {w.ea, w.qa, w.Rsu, w.Ts, w.Lu, w.H, w.lE, w.es, w.qs, w.Rn, w.bowen, w.evap};
}

const std::map<std::string, std::function<Values(const Values&)>> kCommands{
    {"calculate", calculate},
    {"getEs", [](const Values& v) { return Values{physics::getEs(v.at(0))}; }},
    {"getQs", [](const Values& v) { return Values{physics::getQs(v.at(0), v.at(1))}; }},
    {"getTdew", [](const Values& v) { return Values{physics::getTdew(v.at(0))}; }},
    {"getLdown",
     [](const Values& v) { return Values{physics::getLdown(v.at(0), v.at(1), v.at(2))}; }},
    {"getTs",
     [](const Values& v) {
         double Lu = 0, H = 0, lE = 0;
         const double Ts = physics::getTs(v.at(0), v.at(1), v.at(2), v.at(3), v.at(4),
                                          v.at(5), v.at(6), Lu, H, lE);
         return Values{Ts, Lu, H, lE};
     }},
    {"getTsEq",
     [](const Values& v) {
         double Lu = 0, H = 0, lE = 0;
         const double Ts = physics::getTsEq(v.at(0), v.at(1), v.at(2), Lu, H, lE);
         return Values{Ts, Lu, H, lE};
     }},
};

}  // namespace

int main() {
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream words(line);
        std::string command, word;
        words >> command;
        Values in;
        while (words >> word)
            in.push_back(std::strtod(word.c_str(), nullptr));
        try {
            const Values out = kCommands.at(command)(in);
            for (std::size_t i = 0; i < out.size(); ++i)
                std::printf("%s%a", i ? " " : "", out[i]);
            std::printf("\n");
        } catch (const std::exception& error) {
            std::printf("error %s\n", error.what());
        }
        std::fflush(stdout);
    }
}
