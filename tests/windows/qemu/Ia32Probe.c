/* Exits 0 when this kernel runs 32-bit x86 code itself: a 64-bit process
 * makes one call through the 32-bit system call gate, which exists only with
 * IA-32 emulation and answers without any binfmt_misc entry being consulted
 * (an entry registered for qemu would make a 32-bit program start either
 * way). Without the gate the call faults and the process dies by SIGSEGV. */
#include <unistd.h>

int main(void) {
    long result = 20; /* getpid in the 32-bit table */
    __asm__ volatile("int $0x80" : "+a"(result) : : "r8", "r9", "r10", "r11", "memory");
    return result == (long)getpid() ? 0 : 1;
}
