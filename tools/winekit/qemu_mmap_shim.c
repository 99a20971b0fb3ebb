/* Preloaded into 32-bit programs run by qemu-i386 (see i386_emulation.sh).
 *
 * qemu-user 7.2 takes MAP_FIXED_NOREPLACE as a mere hint: where the range is
 * taken it maps elsewhere and returns that address instead of failing with
 * EEXIST. 32-bit Wine reserves its address space with that flag and keeps
 * the stray areas it is handed above 2 GB, one of which covers the page it
 * must map at 0x7ffe0000; every start then ends in "failed to map the shared
 * user data". Here the flag gets its kernel meaning back: ask for the address
 * as a hint, and undo and refuse any other.
 *
 * Built freestanding (no headers, no libraries: syscall(), munmap() and the
 * errno come from the program's own C library when it runs), so it builds
 * before any 32-bit package is installed. */

typedef unsigned int size_t;
typedef long long off64_t;

#define DV_MAP_FIXED_NOREPLACE 0x100000
#define DV_EEXIST 17
#define DV_EINVAL 22
#define DV_NR_MMAP2 192
#define DV_PAGE 4096
#define DV_MAP_FAILED ((void *)-1)

extern long syscall(long number, ...);
extern int munmap(void *addr, size_t length);
extern int *__errno_location(void);

static void *map(void *addr, size_t length, int prot, int flags, int fd, off64_t offset)
{
    unsigned long page;
    void *got;
    /* As the C library's own mmap: mmap2 takes the offset in pages. */
    if (offset < 0 || offset % DV_PAGE != 0 || offset / DV_PAGE > 0xffffffffLL) {
        *__errno_location() = DV_EINVAL;
        return DV_MAP_FAILED;
    }
    page = (unsigned long)(offset / DV_PAGE);
    if (!(flags & DV_MAP_FIXED_NOREPLACE))
        return (void *)syscall(DV_NR_MMAP2, addr, length, prot, flags, fd, page);
    got = (void *)syscall(DV_NR_MMAP2, addr, length, prot, flags & ~DV_MAP_FIXED_NOREPLACE, fd, page);
    if (got == DV_MAP_FAILED || got == addr)
        return got;
    munmap(got, length);
    *__errno_location() = DV_EEXIST;
    return DV_MAP_FAILED;
}

void *mmap(void *addr, size_t length, int prot, int flags, int fd, long offset)
{
    return map(addr, length, prot, flags, fd, offset);
}

void *mmap64(void *addr, size_t length, int prot, int flags, int fd, off64_t offset)
{
    return map(addr, length, prot, flags, fd, offset);
}

/* qemu puts LD_PRELOAD into each 32-bit program's environment (QEMU_SET_ENV);
 * taken out again here, so the native programs it starts (the 64-bit Wine,
 * the wineserver) are not asked to preload a 32-bit library. */
__attribute__((constructor)) static void drop_preload(int argc, char **argv, char **envp)
{
    char **from, **to;
    (void)argc;
    (void)argv;
    for (from = to = envp; *from; from++) {
        const char *s = *from, *k = "LD_PRELOAD=";
        while (*k && *s == *k) {
            s++;
            k++;
        }
        if (*k)
            *to++ = *from;
    }
    *to = 0;
}
