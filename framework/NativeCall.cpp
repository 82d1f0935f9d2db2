#include "framework/NativeCall.h"

// cdecl helper in assembly: sp_call_native(entry, args, count, st0Out) -> EAX; st0Out receives
// the x87 register in its 80-bit form.
// The frame pointer keeps our stack: after the call ESP is reset from EBP, so callee cleanup
// (stdcall) or a wrong argument count does not matter. The stack is 16-byte aligned at the call.
extern "C" std::uint32_t sp_call_native(const void* entry, const std::uint32_t* args, std::uint32_t count,
                                        long double* st0Out);

asm(R"(
    .text
    .globl _sp_call_native
    .def _sp_call_native; .scl 2; .type 32; .endef
_sp_call_native:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    movl 12(%ebp), %esi
    movl 16(%ebp), %ecx
    leal 0(,%ecx,4), %eax
    subl %eax, %esp
    andl $-16, %esp
    xorl %edx, %edx
1:
    cmpl %ecx, %edx
    jae 2f
    movl (%esi,%edx,4), %eax
    movl %eax, (%esp,%edx,4)
    incl %edx
    jmp 1b
2:
    movl 8(%ebp), %eax
    call *%eax
    leal -12(%ebp), %esp
    movl 20(%ebp), %ecx
    testl %ecx, %ecx
    jz 3f
    fstpt (%ecx)
3:
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret
)");

namespace fw {

NativeResult CallNative(const void* entry, const std::uint32_t* args, int count, bool readFloat) {
  NativeResult result;
  if (entry == nullptr) return result;
  if (count < 0) count = 0;
  if (count > kMaxNativeArgs) count = kMaxNativeArgs;
  std::uint32_t copy[kMaxNativeArgs] = {};
  for (int i = 0; i < count; ++i) copy[i] = args[i];
  long double st0 = 0.0L;
  result.eax = sp_call_native(entry, copy, static_cast<std::uint32_t>(count), readFloat ? &st0 : nullptr);
  result.st0 = st0;
  return result;
}

}  // namespace fw
