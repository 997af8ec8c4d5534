#include "platform/MemoryAudioDevice.h"

#include <algorithm>
#include <mutex>
#include <thread>

#include "platform/DeviceQueue.h"

namespace sonavel {

// Outlives the system while devices it opened are still open.
struct TMemoryAudioSystem::TShared {
    explicit TShared(TMemoryDeviceOptions options) : Options(std::move(options)) {}

    const TMemoryDeviceOptions Options;

    mutable std::mutex Lock;
    std::vector<std::uint8_t> Played;
    std::vector<std::uint32_t> PlayedLengths;
    std::vector<TOpening> Openings;
    std::size_t OpeningsBegun = 0;
    std::size_t InputOffset = 0;

    std::chrono::nanoseconds Pace(const TPcmFormat& format, std::uint32_t bytes) const {
        std::chrono::nanoseconds pace = Options.BufferPace;
        if (Options.RealTime && format.AvgBytesPerSec() > 0) {
            pace += std::chrono::nanoseconds(static_cast<std::int64_t>(bytes) * 1'000'000'000 /
                                             format.AvgBytesPerSec());
        }
        return pace;
    }
};

namespace {

using TShared = TMemoryAudioSystem::TShared;

class TMemoryOutput final : public TAudioOutput {
  public:
    TMemoryOutput(std::shared_ptr<TShared> shared, const TPcmFormat& format, TDeviceEvent& event)
        : Shared_(std::move(shared)),
          Format_(format),
          Queue_(TDeviceQueue::TKind::Output, event,
                 [this](TDeviceBuffer& buffer, const TDeviceQueue::TControl& control) {
                     Play(buffer, control);
                 }) {}

    void Write(TDeviceBuffer& buffer) override { Queue_.Queue(buffer); }
    void Reset() override { Queue_.Reset(); }

  private:
    void Play(const TDeviceBuffer& buffer, const TDeviceQueue::TControl& control) {
        if (!control.Sleep(Shared_->Pace(Format_, buffer.Length))) {
            return;  // taken back before it was played
        }
        const std::lock_guard lock(Shared_->Lock);
        Shared_->Played.insert(Shared_->Played.end(), buffer.Data.begin(),
                               buffer.Data.begin() + buffer.Length);
        Shared_->PlayedLengths.push_back(buffer.Length);
    }

    std::shared_ptr<TShared> Shared_;
    const TPcmFormat Format_;
    TDeviceQueue Queue_;  // last: its thread calls Play
};

class TMemoryInput final : public TAudioInput {
  public:
    TMemoryInput(std::shared_ptr<TShared> shared, const TPcmFormat& format, TDeviceEvent& event)
        : Shared_(std::move(shared)),
          Format_(format),
          Queue_(TDeviceQueue::TKind::Input, event,
                 [this](TDeviceBuffer& buffer, const TDeviceQueue::TControl& control) {
                     Record(buffer, control);
                 }) {}

    void AddBuffer(TDeviceBuffer& buffer) override { Queue_.Queue(buffer); }
    void Start() override { Queue_.Start(); }
    void Reset() override { Queue_.Reset(); }

  private:
    void Record(TDeviceBuffer& buffer, const TDeviceQueue::TControl& control) {
        buffer.BytesRecorded = 0;
        if (!control.Sleep(Shared_->Pace(Format_, buffer.Length))) {
            return;
        }
        const std::lock_guard lock(Shared_->Lock);
        const std::vector<std::uint8_t>& source = Shared_->Options.InputBytes;
        const std::size_t offset = std::min(Shared_->InputOffset, source.size());
        const std::size_t fromSource = std::min<std::size_t>(buffer.Length, source.size() - offset);
        std::copy_n(source.begin() + static_cast<std::ptrdiff_t>(offset), fromSource,
                    buffer.Data.begin());
        std::fill(buffer.Data.begin() + static_cast<std::ptrdiff_t>(fromSource),
                  buffer.Data.begin() + buffer.Length, Shared_->Options.InputFill);
        Shared_->InputOffset += buffer.Length;
        buffer.BytesRecorded = buffer.Length;
    }

    std::shared_ptr<TShared> Shared_;
    const TPcmFormat Format_;
    TDeviceQueue Queue_;  // last: its thread calls Record
};

// Throws TAudioDeviceError unless the device exists and takes the format.
void CheckOpening(TShared& shared, bool output, int device, const TPcmFormat& format) {
    {
        const std::lock_guard lock(shared.Lock);
        ++shared.OpeningsBegun;
    }
    std::this_thread::sleep_for(shared.Options.OpenDelay);
    const std::size_t count =
        output ? shared.Options.OutputNames.size() : shared.Options.InputNames.size();
    const bool exists =
        device == -1 ? count > 0 : device >= 0 && static_cast<std::size_t>(device) < count;
    const bool accepted = exists && format.Channels > 0 && format.SampleRate > 0 &&
                          format.BytesPerSample > 0 &&
                          (!shared.Options.Accepts || shared.Options.Accepts(format));
    {
        const std::lock_guard lock(shared.Lock);
        shared.Openings.push_back({output, device, format, accepted});
    }
    if (!exists) {
        throw TAudioDeviceError("No sound device number " + std::to_string(device));
    }
    if (!accepted) {
        throw TAudioDeviceError("The sound device does not take this format");
    }
}

}  // namespace

TMemoryAudioSystem::TMemoryAudioSystem(TMemoryDeviceOptions options)
    : Shared_(std::make_shared<TShared>(std::move(options))) {}

TMemoryAudioSystem::~TMemoryAudioSystem() = default;

std::vector<std::string> TMemoryAudioSystem::OutputDeviceNames() {
    return Shared_->Options.OutputNames;
}

std::vector<std::string> TMemoryAudioSystem::InputDeviceNames() {
    return Shared_->Options.InputNames;
}

std::unique_ptr<TAudioOutput> TMemoryAudioSystem::OpenOutput(int device, const TPcmFormat& format,
                                                             TDeviceEvent& event) {
    CheckOpening(*Shared_, true, device, format);
    auto output = std::make_unique<TMemoryOutput>(Shared_, format, event);
    event.Signal();
    return output;
}

std::unique_ptr<TAudioInput> TMemoryAudioSystem::OpenInput(int device, const TPcmFormat& format,
                                                           TDeviceEvent& event) {
    CheckOpening(*Shared_, false, device, format);
    auto input = std::make_unique<TMemoryInput>(Shared_, format, event);
    event.Signal();
    return input;
}

std::vector<std::uint8_t> TMemoryAudioSystem::PlayedBytes() const {
    const std::lock_guard lock(Shared_->Lock);
    return Shared_->Played;
}

std::vector<std::uint32_t> TMemoryAudioSystem::PlayedBufferLengths() const {
    const std::lock_guard lock(Shared_->Lock);
    return Shared_->PlayedLengths;
}

std::vector<TMemoryAudioSystem::TOpening> TMemoryAudioSystem::Openings() const {
    const std::lock_guard lock(Shared_->Lock);
    return Shared_->Openings;
}

std::size_t TMemoryAudioSystem::OpeningsBegun() const {
    const std::lock_guard lock(Shared_->Lock);
    return Shared_->OpeningsBegun;
}

std::size_t TMemoryAudioSystem::InputBytesDelivered() const {
    const std::lock_guard lock(Shared_->Lock);
    return Shared_->InputOffset;
}

}  // namespace sonavel
