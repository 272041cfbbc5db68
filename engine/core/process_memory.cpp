#include "core/process_memory.h"

#include <cstdlib>
#include <new>
#include <vector>

namespace zep {

void* allocateForProcess(size_t count, size_t size) {
    // Never destroyed: the list must outlive every static destructor.
    static auto* const blocks = new std::vector<void*>;
    void* block = std::calloc(count, size);
    if (!block) return nullptr;
    try {
        blocks->push_back(block);
    } catch (const std::bad_alloc&) {
        std::free(block);
        return nullptr;
    }
    return block;
}

}  // namespace zep
