// The edge of the interface: nothing thrown inside the library crosses it.
#ifndef PELUND_FRAME_GUARD_H
#define PELUND_FRAME_GUARD_H

namespace pelund {

// Runs BODY and returns its result; any exception (std::bad_alloc included)
// becomes FALLBACK, the failure result the exported function documents.
template <class R, class F>
R guarded(R fallback, F&& body) noexcept
{
    try {
        return body();
    } catch (...) {
        return fallback;
    }
}

}  // namespace pelund

#endif
