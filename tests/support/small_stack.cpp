#include "support/small_stack.hpp"

#include <exception>
#include <pthread.h>
#include <stdexcept>

namespace vornmac::testing {

namespace {
#if defined(__SANITIZE_ADDRESS__)
constexpr bool sanitized = true;
#elif defined(__has_feature)
constexpr bool sanitized = __has_feature(address_sanitizer);
#else
constexpr bool sanitized = false;
#endif

struct Job {
    const std::function<void()> *work;
    std::exception_ptr error;
};

void *run_job(void *job_address) {
    Job &job = *static_cast<Job *>(job_address);
    try {
        (*job.work)();
    } catch (...) {
        job.error = std::current_exception();
    }
    return nullptr;
}
} // namespace

const std::size_t small_stack_size = (sanitized ? 4 : 1) * 256 * 1024;

void run_in_small_stack(const std::function<void()> &work) {
    Job job{&work, nullptr};
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, small_stack_size);
    pthread_t thread;
    const int created = pthread_create(&thread, &attributes, run_job, &job);
    pthread_attr_destroy(&attributes);
    if (created != 0) throw std::runtime_error("cannot start a thread");
    pthread_join(thread, nullptr);
    if (job.error) std::rethrow_exception(job.error);
}

} // namespace vornmac::testing
