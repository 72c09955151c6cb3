#pragma once

// What the keypad's figures share: the latency of bytes sent one at a time, and the CPU an idle
// event loop costs.
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double processCpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

inline double percentile(std::vector<double> samples, double fraction) {
    std::sort(samples.begin(), samples.end());
    return samples[std::min(samples.size() - 1, std::size_t(double(samples.size()) * fraction))];
}

// Each iteration sends one byte and serves the event loop until arrived is set, with the time of
// arrival in arrivedAt. The median and 99th percentile go to the counters median_<unit> and
// p99_<unit>; perSecond converts seconds into the unit (1e6 for "us", 1e3 for "ms").
inline void measureArrivals(benchmark::State& state, const std::function<void()>& send,
                            const bool& arrived, const Clock::time_point& arrivedAt,
                            double perSecond, const std::string& unit) {
    std::vector<double> latencies;
    for (auto _ : state) {
        const Clock::time_point sent = Clock::now();
        send();
        while (!arrived) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        const std::chrono::duration<double> latency = arrivedAt - sent;
        latencies.push_back(latency.count() * perSecond);
        state.SetIterationTime(latency.count());
    }
    state.counters["median_" + unit] = percentile(latencies, 0.5);
    state.counters["p99_" + unit] = percentile(latencies, 0.99);
}

// Serves the event loop for state.range(0) seconds an iteration; the counter cpu_percent is the
// CPU the whole process used meanwhile, in percent of one core.
inline void measureIdleCpu(benchmark::State& state) {
    const int seconds = int(state.range(0));
    for (auto _ : state) {
        const double before = processCpuSeconds();
        QEventLoop loop;
        QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
        loop.exec();
        state.counters["cpu_percent"] = (processCpuSeconds() - before) / seconds * 100;
    }
}

} // namespace bench
