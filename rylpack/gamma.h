// The gamma function of the expression evaluator and its logarithm.
//
// The values come from a fixed recurrence and a short polynomial, not from
// the C library, so that expressions give the same result on every machine.
// The names avoid `gamma`, which the C library already declares.
#pragma once

// Gamma(x): the argument is moved to 2 by the recurrence, then evaluated by a
// polynomial on [2, 3) or the Stirling series from 20 up. Exact for small
// positive integers; the largest double for arguments at a pole (|a| below
// 1e-30 on the way down).
double gamma_function(double x);

// ln Gamma(x) by the same reduction; 0 within 1e-6 of 2 and the largest
// double for every x <= 0.
double gamma_log(double x);

// The Stirling series for ln Gamma(a) with y = a - 1; 1 for a <= 2.
double gamma_log_stirling(double a);
