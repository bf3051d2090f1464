// Solves the surface heat balance for Terravel's default inputs and prints it.
#include <cstdio>

#include <terravel/heat_balance.h>

int main() {
    const double Ta = 15.0, rh = 60.0, u = 2.0, pa = 1033.2;
    const double albedo = 0.1, ch = 0.001, beta = 0.2;
    const double Rs = 300.0, Ld = 300.0, G = 50.0;

    const double ea = physics::getErh(rh * 0.01, Ta);
    const double qa = physics::getQ(ea, pa);
    const double Q = Rs - Rs * albedo + Ld - G;
    double Lu = 0.0, H = 0.0, lE = 0.0;
    const double Ts = physics::getTs(Q, u, Ta, qa, pa, ch, beta, Lu, H, lE);

    std::printf("Ts = %.11f degC\nLu = %.3f W/m2\nH  = %.3f W/m2\nlE = %.3f W/m2\n",
                Ts, Lu, H, lE);
    return 0;
}
