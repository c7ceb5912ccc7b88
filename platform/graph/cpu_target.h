// Regions of code compiled for a newer instruction set than the build's, used only
// after the processor is asked (__builtin_cpu_supports). GCC and clang name the
// switch differently.
#pragma once

#if defined(__clang__)
#define VISTREL_TARGET_BEGIN(features) \
  _Pragma(VISTREL_TARGET_STRING(clang attribute push(__attribute__((target(features))), apply_to = function)))
#define VISTREL_TARGET_END _Pragma("clang attribute pop")
#else
#define VISTREL_TARGET_BEGIN(features) _Pragma("GCC push_options") _Pragma(VISTREL_TARGET_STRING(GCC target(features)))
#define VISTREL_TARGET_END _Pragma("GCC pop_options")
#endif
#define VISTREL_TARGET_STRING(text) #text
