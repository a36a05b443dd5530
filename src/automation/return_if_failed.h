// The error idiom of code that takes platform steps one after the other: a failed step
// returns its HRESULT at once (as WIL's RETURN_IF_FAILED).
#pragma once

#include <windows.h>

#define RETURN_IF_FAILED(expression)                                                                          \
    do {                                                                                                      \
        const HRESULT failure_ = (expression);                                                                \
        if (FAILED(failure_)) return failure_;                                                                \
    } while (false)
