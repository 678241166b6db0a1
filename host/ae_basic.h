// Scalar types, error codes and the basic suite through which the host hands out
// every other suite. Declared from the host's documented behaviour; the names are
// the host's own so that effect code reads like any plug-in of this host.
#pragma once

#include <cstddef>
#include <cstdint>

#ifdef _WIN32
#define AE_CALLBACK __cdecl
#else
#define AE_CALLBACK
#endif

typedef int32_t A_long;
typedef uint32_t A_u_long;
typedef int16_t A_short;
typedef uint16_t A_u_short;
typedef char A_char;
typedef uint8_t A_u_char;
typedef uint8_t A_Boolean;
typedef intptr_t A_intptr_t;
typedef int32_t A_Err;
typedef double A_FpLong;
typedef float A_FpShort;
typedef uint64_t A_HandleSize;

typedef A_long PF_Err;
typedef A_Boolean PF_Boolean;
typedef A_long PF_Fixed;
typedef double PF_FpLong;
typedef float PF_FpShort;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

enum : A_Err {
    A_Err_NONE = 0,
    A_Err_GENERIC = 1,
    A_Err_STRUCT = 2,
    A_Err_PARAMETER = 3,
    A_Err_ALLOC = 4,
    A_Err_MISSING_SUITE = 13,
};

enum : PF_Err {
    PF_Err_NONE = 0,
    PF_Err_OUT_OF_MEMORY = 4,
    PF_Err_INTERNAL_STRUCT_DAMAGED = 512,
    PF_Err_INVALID_INDEX = 513,
    PF_Err_UNRECOGNIZED_PARAM_TYPE = 514,
    PF_Err_INVALID_CALLBACK = 515,
    PF_Err_BAD_CALLBACK_PARAM = 516,
    PF_Interrupt_CANCEL = 517,
    PF_Err_CANNOT_PARSE_KEYFRAME_TEXT = 518,
};

typedef int32_t SPErr;

// The host's suite broker (in_data->pica_basicP).
struct SPBasicSuite {
    SPErr(AE_CALLBACK* AcquireSuite)(const char* name, int32_t version, const void** suite);
    SPErr(AE_CALLBACK* ReleaseSuite)(const char* name, int32_t version);
    int32_t(AE_CALLBACK* IsEqual)(const char* token1, const char* token2);
    SPErr(AE_CALLBACK* AllocateBlock)(size_t size, void** block);
    SPErr(AE_CALLBACK* FreeBlock)(void* block);
    SPErr(AE_CALLBACK* ReallocateBlock)(void* block, size_t newSize, void** newblock);
    SPErr(AE_CALLBACK* Undefined)(void);
};
