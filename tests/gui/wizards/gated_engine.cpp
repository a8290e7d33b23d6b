#include "gui/wizards/gated_engine.h"

namespace korvel::test {
namespace {

class GatedProducer final : public TProducerBase {
public:
  explicit GatedProducer(GatedScript& script) : script_(script) {}

  HRESULT Run() override {
    ResetProgress();
    StatusInitializing();
    StatusInitialized();
    for (size_t i = 0; i < script_.Steps.size(); ++i) {
      Progress(script_.Steps[i]);
      if (!script_.StepGate.Wait(static_cast<int>(i + 1))) break;
    }
    script_.SawStop = StopRequested();
    return FinishRun(S_OK);
  }

  void RequestStop() override {
    TProducerBase::RequestStop();
    script_.StepGate.Stop();
  }

private:
  GatedScript& script_;
};

class GatedThread final : public TProducerThread {
public:
  GatedThread(IMainThread& mainThread, GatedScript& script)
      : TProducerThread(mainThread), script_(script), gone_(script.ThreadGone) {}
  ~GatedThread() override { *gone_ = true; }

protected:
  std::unique_ptr<TProducerBase> CreateProducer() override { return std::make_unique<GatedProducer>(script_); }

private:
  GatedScript& script_;
  std::shared_ptr<std::atomic<bool>> gone_;
};

}  // namespace

void Gate::Open() {
  std::lock_guard lock(lock_);
  ++opened_;
  changed_.notify_all();
}

bool Gate::Wait(int step) {
  std::unique_lock lock(lock_);
  changed_.wait(lock, [&] { return opened_ >= step || stopped_; });
  return !stopped_;
}

void Gate::Stop() {
  std::lock_guard lock(lock_);
  stopped_ = true;
  changed_.notify_all();
}

TEngineTable GatedEngines(GatedScript& script) {
  TEngineTable table;
  for (const TEngine engine : {TEngine::AviLossless, TEngine::WmvLossless, TEngine::Mp4Lossless, TEngine::FfmLossless,
                               TEngine::AviReindex, TEngine::WmvReconstruct, TEngine::FfmReconstruct})
    table.Register(engine, [&script](IMainThread& mainThread) { return std::make_shared<GatedThread>(mainThread, script); });
  return table;
}

}  // namespace korvel::test
