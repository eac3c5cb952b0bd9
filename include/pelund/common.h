/** @file
   PelundLib: what every family header shares: the export macro, the result
   codes, the UTF-16 character type and the version. Usable from C99 and C++. */
#ifndef PELUND_COMMON_H
#define PELUND_COMMON_H

#include <stddef.h>
#include <stdint.h>

/** @{ */
/** The version of these headers: major, minor and patch number. */
#define PELUNDLIB_VERSION_MAJOR 1
#define PELUNDLIB_VERSION_MINOR 0
#define PELUNDLIB_VERSION_PATCH 0
/** @} */

/** Marks a function of the library's interface (exported from it). */
#if defined(__GNUC__) || defined(__clang__)
#define PELUND_API __attribute__((visibility("default")))
#else
#define PELUND_API
#endif

#ifdef __cplusplus
#define PELUND_BEGIN_DECLS extern "C" {
#define PELUND_END_DECLS }
typedef char16_t ps_char16;
#else
/** @{ */
/** Open and close the declarations of a header: extern "C" in C++. */
#define PELUND_BEGIN_DECLS
#define PELUND_END_DECLS
/** @} */
/** One UTF-16 code unit, as taken and returned by every W function
    (char16_t in C++). */
typedef uint_least16_t ps_char16;
#endif

/** @{ */
/** Result of an operation that does something. Predicates return 1 or 0. */
#define PS_SUCCESS 0
#define PS_FAILURE 0x8000
/** @} */

#endif
