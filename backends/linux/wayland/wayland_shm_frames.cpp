#include "linux/wayland/wayland_shm_frames.h"

#include <sys/mman.h>
#include <unistd.h>

#include "linux/wayland/wayland_protocols.h"

namespace {
const wl_buffer_listener releaseListener = {
    [](void* data, wl_buffer*) { static_cast<ShmFrame*>(data)->busy = false; }};
} // namespace

ShmFrame::~ShmFrame() {
    if (buffer)
        wl_buffer_destroy(buffer);
    if (pixels)
        munmap(pixels, bytes);
}

ShmFrame* ShmFrames::free(std::size_t most) {
    for (auto& frame : frames_)
        if (!frame->busy)
            return frame.get();
    if (frames_.size() >= most)
        return nullptr;
    std::unique_ptr<ShmFrame> frame = makeShmFrame(shm_, width_, height_);
    if (!frame)
        return nullptr;
    frames_.push_back(std::move(frame));
    return frames_.back().get();
}

std::unique_ptr<ShmFrame> makeShmFrame(wl_shm* shm, int width, int height) {
    if (!shm || !frameSizeFits(width, height))
        return nullptr;
    const std::size_t bytes = std::size_t(width) * std::size_t(height) * 4;
    const int fd = memfd_create("emberhall", MFD_CLOEXEC);
    if (fd < 0)
        return nullptr;
    void* memory = MAP_FAILED;
    if (ftruncate(fd, off_t(bytes)) == 0)
        memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (memory == MAP_FAILED) {
        close(fd);
        return nullptr;
    }
    auto frame = std::make_unique<ShmFrame>();
    frame->bytes = bytes;
    frame->pixels = static_cast<uint32_t*>(memory); // page-aligned
    wl_shm_pool* pool = wl_shm_create_pool(shm, fd, int32_t(bytes));
    close(fd); // the pool keeps the memory
    frame->buffer =
        wl_shm_pool_create_buffer(pool, 0, width, height, width * 4, WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    wl_buffer_add_listener(frame->buffer, &releaseListener, frame.get());
    return frame;
}
