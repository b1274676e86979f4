// alsa-lib reports its failures on standard error itself, several lines for
// one missing card; those are silenced, and the program says in one line
// what is missing instead.
#include "app/AlsaPlayback.h"

#include <cerrno>
#include <cstdarg>

namespace tamrik::app {

namespace {

extern "C" void quietAlsa(const char*, int, const char*, int, const char*, ...) {}

std::string alsaText(int code) { return snd_strerror(code); }

struct HardwareParams {
    HardwareParams() { snd_pcm_hw_params_malloc(&params); }
    ~HardwareParams() { snd_pcm_hw_params_free(params); }
    snd_pcm_hw_params_t* params = nullptr;
};

struct SoftwareParams {
    SoftwareParams() { snd_pcm_sw_params_malloc(&params); }
    ~SoftwareParams() { snd_pcm_sw_params_free(params); }
    snd_pcm_sw_params_t* params = nullptr;
};

}  // namespace

bool AlsaPlayback::anySoundCard() {
    snd_lib_error_set_handler(quietAlsa);
    int card = -1;
    return snd_card_next(&card) == 0 && card >= 0;
}

AlsaPlayback::AlsaPlayback(Instrument& instrument, const Settings& settings, MidiRing* sequencer, MainLoopWait& wake)
    : instrument_(instrument), wake_(wake), device_(settings.device) {
    const std::string where = "ALSA device '" + device_ + "'";
    // Some devices need no card (null, or a network sink); the card is
    // missed only when the device cannot open.
    const bool cards = anySoundCard();
    if (const int e = snd_pcm_open(&pcm_, device_.c_str(), SND_PCM_STREAM_PLAYBACK, 0); e < 0) {
        pcm_ = nullptr;
        if (!cards) throw AudioError("no sound card on this machine for ALSA to play on");
        throw AudioError(where + ": " + alsaText(e));
    }
    const auto fail = [&](const char* what, int e) {
        snd_pcm_close(pcm_);
        pcm_ = nullptr;
        throw AudioError(where + ": " + what + ": " + alsaText(e));
    };
    HardwareParams hw;
    if (const int e = snd_pcm_hw_params_any(pcm_, hw.params); e < 0) fail("no playback set-up", e);
    if (const int e = snd_pcm_hw_params_set_access(pcm_, hw.params, SND_PCM_ACCESS_RW_INTERLEAVED); e < 0)
        fail("no interleaved access", e);
    AlsaPeriod::Format format = AlsaPeriod::Format::Float32;
    const std::pair<snd_pcm_format_t, AlsaPeriod::Format> formats[] = {
        {SND_PCM_FORMAT_FLOAT_LE, AlsaPeriod::Format::Float32},
        {SND_PCM_FORMAT_S32_LE, AlsaPeriod::Format::Signed32},
        {SND_PCM_FORMAT_S16_LE, AlsaPeriod::Format::Signed16}};
    int formatError = -EINVAL;
    for (const auto& [alsa, ours] : formats)
        if ((formatError = snd_pcm_hw_params_set_format(pcm_, hw.params, alsa)) == 0) {
            format = ours;
            break;
        }
    if (formatError < 0) fail("none of float, 32- or 16-bit samples", formatError);
    unsigned channels = 2;
    if (const int e = snd_pcm_hw_params_set_channels_near(pcm_, hw.params, &channels); e < 0) fail("no channels", e);
    unsigned rate = settings.rate;
    if (const int e = snd_pcm_hw_params_set_rate_near(pcm_, hw.params, &rate, nullptr); e < 0) fail("the rate", e);
    snd_pcm_uframes_t period = settings.period;
    if (const int e = snd_pcm_hw_params_set_period_size_near(pcm_, hw.params, &period, nullptr); e < 0)
        fail("the period", e);
    unsigned periods = 2;
    if (const int e = snd_pcm_hw_params_set_periods_near(pcm_, hw.params, &periods, nullptr); e < 0)
        fail("two periods", e);
    if (const int e = snd_pcm_hw_params(pcm_, hw.params); e < 0) fail("the set-up", e);
    snd_pcm_hw_params_get_period_size(hw.params, &period, nullptr);
    snd_pcm_uframes_t buffer = 0;
    snd_pcm_hw_params_get_buffer_size(hw.params, &buffer);

    // Started once the buffer is full, so that the first periods prefill it.
    SoftwareParams sw;
    snd_pcm_sw_params_current(pcm_, sw.params);
    snd_pcm_sw_params_set_start_threshold(pcm_, sw.params, buffer);
    snd_pcm_sw_params_set_avail_min(pcm_, sw.params, period);
    if (const int e = snd_pcm_sw_params(pcm_, sw.params); e < 0) fail("the start threshold", e);

    rate_ = rate;
    period_.emplace(instrument, sequencer, uint32_t(period), channels, format);
    bytes_.assign(period_->frames() * period_->bytesPerFrame(), 0);
}

AlsaPlayback::~AlsaPlayback() { close(); }

void AlsaPlayback::activate() {
    instrument_.setSampleRate(float(rate_));
    period_->cycle().setRate(float(rate_));
    running_.store(true, std::memory_order_relaxed);
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setinheritsched(&attr, PTHREAD_EXPLICIT_SCHED);
    pthread_attr_setschedpolicy(&attr, SCHED_FIFO);
    sched_param priority{};
    priority.sched_priority = 70;
    pthread_attr_setschedparam(&attr, &priority);
    realtime_ = pthread_create(&thread_, &attr, &AlsaPlayback::threadEntry, this) == 0;
    pthread_attr_destroy(&attr);
    if (!realtime_ && pthread_create(&thread_, nullptr, &AlsaPlayback::threadEntry, this) != 0) {
        running_.store(false, std::memory_order_relaxed);
        throw AudioError("cannot start the audio thread");
    }
    started_ = true;
}

void AlsaPlayback::close() {
    if (started_) {
        // The thread sees this within a period, its write being the only wait.
        running_.store(false, std::memory_order_relaxed);
        pthread_join(thread_, nullptr);
        started_ = false;
    }
    if (pcm_) {
        snd_pcm_drop(pcm_);
        snd_pcm_close(pcm_);
        pcm_ = nullptr;
    }
}

std::string AlsaPlayback::description() const { return "ALSA device '" + device_ + "'"; }

std::string AlsaPlayback::stopReason() const {
    const int e = error_.load(std::memory_order_acquire);
    return e ? alsaText(e) : "";
}

void* AlsaPlayback::threadEntry(void* self) {
    static_cast<AlsaPlayback*>(self)->play();
    return nullptr;
}

void AlsaPlayback::play() {
    const size_t frameBytes = period_->bytesPerFrame();
    while (running_.load(std::memory_order_relaxed)) {
        period_->render(bytes_.data());
        const uint8_t* at = bytes_.data();
        snd_pcm_uframes_t left = period_->frames();
        while (left > 0 && running_.load(std::memory_order_relaxed)) {
            const snd_pcm_sframes_t written = snd_pcm_writei(pcm_, at, left);
            if (written >= 0) {
                left -= snd_pcm_uframes_t(written);
                at += size_t(written) * frameBytes;
            } else if (written == -EPIPE || written == -ESTRPIPE) {
                // An underrun, or the machine suspended: count it, play on.
                xruns_.fetch_add(1, std::memory_order_relaxed);
                if (const int e = snd_pcm_prepare(pcm_); e < 0) {
                    error_.store(e, std::memory_order_release);
                    wake_.wake();
                    return;
                }
            } else if (written != -EINTR && written != -EAGAIN) {
                error_.store(int(written), std::memory_order_release);
                wake_.wake();
                return;
            }
        }
    }
}

}  // namespace tamrik::app
