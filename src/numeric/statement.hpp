#pragma once

#include "numeric/check.hpp"
#include "numeric/operations.hpp"

// A statement of a formula procedure stores one result in one target. When
// the evaluation failed, the target keeps the value it had and the procedure
// goes on with its next statement.
namespace ts {

inline bool assign(Number& target, Result result) {
    if (!result) return false;
    target = *result;
    return true;
}

// The result takes the width of the member it is stored in.
inline bool assignSingle(Number& target, Result result) { return result && assign(target, toSingle(*result)); }

inline bool assignDouble(Number& target, Result result) { return result && assign(target, toDouble(*result)); }

// Outside the formula procedures no statement can fail for any text the
// program accepts (the geometry, the seed's sums, the palette's draws): one
// that does is a programming error.
inline Number require(Result result, const char* what) {
    TS_CHECK(result.has_value(), what);
    return *result;
}

// A loop's end value, taken once when the loop starts.
inline int loopEnd(Number bound) {
    const Result v = toInt16(bound);
    return v ? static_cast<int>(v->value()) : 0;
}

}  // namespace ts
