// Built with x87 arithmetic on purpose: the object on which the check for x87
// instructions in the 32-bit module must fail.
double x87_sample_blend(double a, double b, double w) {
    return a * (1.0 - w) + b * w;
}
