#pragma once
// One axis of a box being dragged by one of its edges: the other edge stays
// put, the pair is kept in order, and the box never gets thinner than a minimum.
#include <algorithm>

namespace kestrix::detail {

template <class T>
struct Span {
    T lo;
    T hi;
};

// `fixed` is the edge that stays, `pointer` where the dragged edge is now.
// `dragged_was_low` tells which side the dragged edge started on; it decides
// where the minimum extends to when the pointer sits exactly on `fixed`.
template <class T>
Span<T> drag_edge(T fixed, T pointer, bool dragged_was_low, T min_span) {
    Span<T> s{std::min(fixed, pointer), std::max(fixed, pointer)};
    if (s.hi - s.lo >= min_span) return s;
    const bool pointer_low = pointer < fixed || (pointer == fixed && dragged_was_low);
    if (pointer_low) return {fixed - min_span, fixed};
    return {fixed, fixed + min_span};
}

// The span moved (not shrunk) so that it lies within [lo, hi]; cut to the range
// only when it is longer than the range.
template <class T>
Span<T> keep_within(Span<T> s, T lo, T hi) {
    if (s.hi > hi) {
        s.lo -= s.hi - hi;
        s.hi = hi;
    }
    if (s.lo < lo) {
        s.hi = std::min(hi, s.hi + (lo - s.lo));
        s.lo = lo;
    }
    return s;
}

}  // namespace kestrix::detail
