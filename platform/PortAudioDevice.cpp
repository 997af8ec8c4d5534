#include "platform/PortAudioDevice.h"

#include <portaudio.h>

#include <algorithm>
#include <mutex>
#include <optional>

#include "platform/DeviceQueue.h"
#include "platform/QuietStderr.h"

namespace sonavel {

namespace {

// PortAudio's set-up, device queries and stream opening are not thread-safe and its state is
// process-wide, so one lock serves every session.
std::mutex& PortAudioLock() {
    static std::mutex lock;
    return lock;
}

// Frames moved per blocking call, so that a reset is noticed within a few milliseconds.
constexpr unsigned long ChunkFrames = 1024;

std::string ErrorText(PaError error) {
    return Pa_GetErrorText(error);
}

struct TDeviceEntry {
    PaDeviceIndex Index = paNoDevice;
    std::string Name;
};

std::string DeviceName(PaDeviceIndex index) {
    const PaDeviceInfo* info = Pa_GetDeviceInfo(index);
    std::string name = info->name != nullptr ? info->name : "?";
    const PaHostApiInfo* host = Pa_GetHostApiInfo(info->hostApi);
    if (host != nullptr && host->name != nullptr) {
        name += std::string(" (") + host->name + ")";
    }
    return name;
}

// The default device first, then the others with channels in that direction.
std::vector<TDeviceEntry> ListDevices(bool output) {
    const auto channels = [output](PaDeviceIndex index) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(index);
        return info == nullptr ? 0 : (output ? info->maxOutputChannels : info->maxInputChannels);
    };
    std::vector<TDeviceEntry> devices;
    const PaDeviceIndex preferred =
        output ? Pa_GetDefaultOutputDevice() : Pa_GetDefaultInputDevice();
    if (preferred != paNoDevice && channels(preferred) > 0) {
        devices.push_back({preferred, DeviceName(preferred)});
    }
    const PaDeviceIndex count = Pa_GetDeviceCount();
    for (PaDeviceIndex index = 0; index < count; ++index) {
        if (index != preferred && channels(index) > 0) {
            devices.push_back({index, DeviceName(index)});
        }
    }
    return devices;
}

PaSampleFormat SampleFormatOf(const TPcmFormat& format) {
    switch (format.BytesPerSample) {
        case 1:
            return paUInt8;
        case 2:
            return paInt16;
        case 3:
            return paInt24;  // packed, host byte order: little-endian here
        case 4:
            return paInt32;
        default:
            throw TAudioDeviceError("Unsupported sample width of " +
                                    std::to_string(format.BytesPerSample) + " bytes");
    }
}

}  // namespace

// PortAudio initialised, and the device lists of that initialisation.
class TPortAudioSystem::TSession {
  public:
    TSession() {
        const std::lock_guard lock(PortAudioLock());
        const TQuietStderr quiet;
        const PaError error = Pa_Initialize();
        if (error != paNoError) {
            throw TAudioDeviceError("PortAudio cannot start: " + ErrorText(error));
        }
        Outputs_ = ListDevices(true);
        Inputs_ = ListDevices(false);
    }
    ~TSession() {
        const std::lock_guard lock(PortAudioLock());
        Pa_Terminate();
    }
    TSession(const TSession&) = delete;
    TSession& operator=(const TSession&) = delete;

    const std::vector<TDeviceEntry>& Devices(bool output) const {
        return output ? Outputs_ : Inputs_;
    }

    // Opens a blocking stream; throws TAudioDeviceError when the device cannot take it.
    PaStream* Open(bool output, int device, const TPcmFormat& format) const {
        const std::vector<TDeviceEntry>& devices = Devices(output);
        if (device < -1 || device >= static_cast<int>(devices.size()) || devices.empty()) {
            throw TAudioDeviceError("No sound device number " + std::to_string(device));
        }
        const std::lock_guard lock(PortAudioLock());
        const PaDeviceIndex index = devices[device == -1 ? 0 : device].Index;
        const PaDeviceInfo* info = Pa_GetDeviceInfo(index);
        const int maxChannels = output ? info->maxOutputChannels : info->maxInputChannels;
        if (format.Channels == 0 || format.Channels > maxChannels || format.SampleRate == 0) {
            throw TAudioDeviceError("The sound device does not take " +
                                    std::to_string(format.Channels) + " channels at " +
                                    std::to_string(format.SampleRate) + " Hz");
        }
        PaStreamParameters parameters{};
        parameters.device = index;
        parameters.channelCount = format.Channels;
        parameters.sampleFormat = SampleFormatOf(format);
        parameters.suggestedLatency =
            output ? info->defaultHighOutputLatency : info->defaultHighInputLatency;
        const PaStreamParameters* in = output ? nullptr : &parameters;
        const PaStreamParameters* out = output ? &parameters : nullptr;
        const TQuietStderr quiet;
        PaError error = Pa_IsFormatSupported(in, out, format.SampleRate);
        PaStream* stream = nullptr;
        if (error == paFormatIsSupported) {
            error = Pa_OpenStream(&stream, in, out, format.SampleRate, paFramesPerBufferUnspecified,
                                  paNoFlag, nullptr, nullptr);
        }
        if (error != paNoError) {
            throw TAudioDeviceError("The sound device does not take the format: " +
                                    ErrorText(error));
        }
        return stream;
    }

    static void Close(PaStream* stream) {
        const std::lock_guard lock(PortAudioLock());
        Pa_CloseStream(stream);
    }

  private:
    std::vector<TDeviceEntry> Outputs_;
    std::vector<TDeviceEntry> Inputs_;
};

namespace {

using TSession = TPortAudioSystem::TSession;

// An open PortAudio stream; keeps PortAudio initialised until it is closed.
class TOpenStream {
  public:
    TOpenStream(std::shared_ptr<const TSession> session, bool output, int device,
                const TPcmFormat& format)
        : Session_(std::move(session)), Stream_(Session_->Open(output, device, format)) {}
    ~TOpenStream() { TSession::Close(Stream_); }
    TOpenStream(const TOpenStream&) = delete;
    TOpenStream& operator=(const TOpenStream&) = delete;

    PaStream* Get() const { return Stream_; }

  private:
    std::shared_ptr<const TSession> Session_;
    PaStream* Stream_;
};

class TPortAudioOutput final : public TAudioOutput {
  public:
    TPortAudioOutput(std::shared_ptr<const TSession> session, int device, const TPcmFormat& format,
                     TDeviceEvent& event)
        : Stream_(std::move(session), true, device, format), FrameBytes_(format.BlockAlign()) {
        Queue_.emplace(TDeviceQueue::TKind::Output, event,
                       [this](TDeviceBuffer& buffer, const TDeviceQueue::TControl& control) {
                           Play(buffer, control);
                       });
    }
    ~TPortAudioOutput() override {
        Queue_.reset();
        if (Started_) {
            Pa_StopStream(Stream_.Get());  // lets what the host already holds play out
        }
    }
    TPortAudioOutput(const TPortAudioOutput&) = delete;
    TPortAudioOutput& operator=(const TPortAudioOutput&) = delete;

    void Write(TDeviceBuffer& buffer) override { Queue_->Queue(buffer); }
    void Reset() override { Queue_->Reset(); }

  private:
    // On the queue's thread; Started_ is read elsewhere only while that thread is idle.
    void Play(const TDeviceBuffer& buffer, const TDeviceQueue::TControl& control) {
        if (!Started_) {
            Started_ = Pa_StartStream(Stream_.Get()) == paNoError;
        }
        const unsigned long frames = buffer.Length / FrameBytes_;
        for (unsigned long done = 0; done < frames && !control.Cancelled();) {
            const unsigned long count = std::min(ChunkFrames, frames - done);
            const PaError error =
                Pa_WriteStream(Stream_.Get(), buffer.Data.data() + done * FrameBytes_, count);
            if (error != paNoError && error != paOutputUnderflowed) {
                return;  // a failing device gives the buffer back unplayed
            }
            done += count;
        }
    }

    TOpenStream Stream_;
    const std::uint32_t FrameBytes_;
    bool Started_ = false;
    std::optional<TDeviceQueue> Queue_;  // goes first, so its thread never sees a closed stream
};

class TPortAudioInput final : public TAudioInput {
  public:
    TPortAudioInput(std::shared_ptr<const TSession> session, int device, const TPcmFormat& format,
                    TDeviceEvent& event)
        : Stream_(std::move(session), false, device, format),
          FrameBytes_(format.BlockAlign()),
          Silence_(format.BytesPerSample == 1 ? 0x80 : 0) {
        Queue_.emplace(TDeviceQueue::TKind::Input, event,
                       [this](TDeviceBuffer& buffer, const TDeviceQueue::TControl& control) {
                           Record(buffer, control);
                       });
    }
    ~TPortAudioInput() override {
        Queue_.reset();
        Stop();
    }
    TPortAudioInput(const TPortAudioInput&) = delete;
    TPortAudioInput& operator=(const TPortAudioInput&) = delete;

    void AddBuffer(TDeviceBuffer& buffer) override { Queue_->Queue(buffer); }
    void Start() override { Queue_->Start(); }
    void Reset() override {
        Queue_->Reset();
        Stop();
    }

  private:
    void Stop() {
        if (Started_) {
            Pa_AbortStream(Stream_.Get());
            Started_ = false;
        }
    }

    // On the queue's thread; Started_ is touched elsewhere only while that thread is idle.
    void Record(TDeviceBuffer& buffer, const TDeviceQueue::TControl& control) {
        buffer.BytesRecorded = 0;
        if (!Started_) {
            Started_ = Pa_StartStream(Stream_.Get()) == paNoError;
        }
        const unsigned long frames = buffer.Length / FrameBytes_;
        for (unsigned long done = 0; done < frames && !control.Cancelled();) {
            const unsigned long count = std::min(ChunkFrames, frames - done);
            std::uint8_t* data = buffer.Data.data() + done * FrameBytes_;
            const PaError error = Pa_ReadStream(Stream_.Get(), data, count);
            if (error != paNoError && error != paInputOverflowed) {
                std::fill_n(data, count * FrameBytes_, Silence_);  // nothing usable came
            }
            done += count;
            buffer.BytesRecorded = static_cast<std::uint32_t>(done * FrameBytes_);
        }
    }

    TOpenStream Stream_;
    const std::uint32_t FrameBytes_;
    const std::uint8_t Silence_;
    bool Started_ = false;
    std::optional<TDeviceQueue> Queue_;
};

}  // namespace

TPortAudioSystem::TPortAudioSystem() : Session_(std::make_shared<TSession>()) {}

TPortAudioSystem::~TPortAudioSystem() = default;

std::vector<std::string> TPortAudioSystem::OutputDeviceNames() {
    std::vector<std::string> names;
    for (const TDeviceEntry& entry : Session_->Devices(true)) {
        names.push_back(entry.Name);
    }
    return names;
}

std::vector<std::string> TPortAudioSystem::InputDeviceNames() {
    std::vector<std::string> names;
    for (const TDeviceEntry& entry : Session_->Devices(false)) {
        names.push_back(entry.Name);
    }
    return names;
}

std::unique_ptr<TAudioOutput> TPortAudioSystem::OpenOutput(int device, const TPcmFormat& format,
                                                           TDeviceEvent& event) {
    auto output = std::make_unique<TPortAudioOutput>(Session_, device, format, event);
    event.Signal();
    return output;
}

std::unique_ptr<TAudioInput> TPortAudioSystem::OpenInput(int device, const TPcmFormat& format,
                                                         TDeviceEvent& event) {
    auto input = std::make_unique<TPortAudioInput>(Session_, device, format, event);
    event.Signal();
    return input;
}

}  // namespace sonavel
