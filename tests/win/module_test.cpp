// The module entry points, the class factory and the object's identity, against the real
// DLL loaded by path (no registration involved).
#include <objsafe.h>
#include <ocidl.h>
#include <windows.h>

#include <thread>

#include "com_test_support.h"

namespace zortab_test {
namespace {

void* const kSentinel = reinterpret_cast<void*>(static_cast<std::uintptr_t>(0x1234));

class ModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(apartment_.Result()));
    ASSERT_NE(library_.Get(), nullptr) << "cannot load the control DLL";
    ASSERT_TRUE(exports_.Complete());
  }

  HRESULT GetFactory(ComPtr<IClassFactory>& factory) {
    return exports_.get_class_object(CLSID_ZorTabbedList, IID_IClassFactory,
                                     reinterpret_cast<void**>(factory.ReleaseAndGetAddressOf()));
  }

  ComPtr<IZorTabbedList> MakeControl() {
    ComPtr<IClassFactory> factory;
    ComPtr<IZorTabbedList> control;
    EXPECT_EQ(GetFactory(factory), S_OK);
    if (factory) {
      EXPECT_EQ(factory->CreateInstance(nullptr, IID_PPV_ARGS(&control)), S_OK);
    }
    return control;
  }

  HRESULT CanUnloadNow() { return exports_.can_unload_now(); }

  Apartment apartment_;
  Library library_{BuiltDllPath()};
  Exports exports_{library_};
};

TEST_F(ModuleTest, ClassObjectOnlyForTheControlClass) {
  // Off by one byte from the control's class id, and an unrelated id.
  CLSID near_miss = CLSID_ZorTabbedList;
  near_miss.Data4[7] ^= 1;
  for (const CLSID& other : {near_miss, CLSID_StdGlobalInterfaceTable}) {
    void* object = kSentinel;
    EXPECT_EQ(exports_.get_class_object(other, IID_IClassFactory, &object),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
  }
  EXPECT_EQ(exports_.get_class_object(CLSID_ZorTabbedList, IID_IClassFactory, nullptr), E_POINTER);

  // The factory answers only its own interfaces.
  void* object = kSentinel;
  EXPECT_EQ(exports_.get_class_object(CLSID_ZorTabbedList, IID_IDispatch, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(CanUnloadNow(), S_OK);
}

TEST_F(ModuleTest, OneFactoryForEveryRequest) {
  ComPtr<IClassFactory> first;
  ComPtr<IClassFactory> second;
  ASSERT_EQ(GetFactory(first), S_OK);
  ASSERT_EQ(GetFactory(second), S_OK);
  ComPtr<IUnknown> first_identity;
  ComPtr<IUnknown> second_identity;
  ASSERT_EQ(first.As(&first_identity), S_OK);
  ASSERT_EQ(second.As(&second_identity), S_OK);
  EXPECT_EQ(first_identity.Get(), second_identity.Get());
  EXPECT_EQ(first.Get(), second.Get());

  // Requests from several threads at once still meet one factory.
  IUnknown* seen[4] = {};
  {
    std::thread threads[4];
    for (int i = 0; i < 4; ++i) {
      threads[i] = std::thread([&, i] {
        ComPtr<IUnknown> factory;
        if (SUCCEEDED(
                exports_.get_class_object(CLSID_ZorTabbedList, IID_IUnknown,
                                          reinterpret_cast<void**>(factory.GetAddressOf())))) {
          seen[i] = factory.Get();
        }
      });
    }
    for (std::thread& thread : threads) thread.join();
  }
  for (IUnknown* factory : seen) EXPECT_EQ(factory, first_identity.Get());
}

TEST_F(ModuleTest, CanUnloadNowFollowsFactoryObjectsAndServerLocks) {
  EXPECT_EQ(CanUnloadNow(), S_OK);
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(GetFactory(factory), S_OK);
  EXPECT_EQ(CanUnloadNow(), S_FALSE) << "a held factory keeps the module";
  factory.Reset();
  EXPECT_EQ(CanUnloadNow(), S_OK) << "released again";

  ComPtr<IZorTabbedList> control = MakeControl();
  ASSERT_TRUE(control);
  EXPECT_EQ(CanUnloadNow(), S_FALSE) << "a live object keeps the module";
  ComPtr<IDispatch> dispatch;
  ASSERT_EQ(control.As(&dispatch), S_OK);
  control.Reset();
  EXPECT_EQ(CanUnloadNow(), S_FALSE) << "any interface of it does";
  dispatch.Reset();
  EXPECT_EQ(CanUnloadNow(), S_OK);

  ASSERT_EQ(GetFactory(factory), S_OK);
  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  factory.Reset();
  EXPECT_EQ(CanUnloadNow(), S_FALSE) << "server locks outlive the factory reference";
  ASSERT_EQ(GetFactory(factory), S_OK);
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  factory.Reset();
  EXPECT_EQ(CanUnloadNow(), S_OK);
}

TEST_F(ModuleTest, UnmatchedServerUnlockIsRefused) {
  ComPtr<IZorTabbedList> control = MakeControl();
  ASSERT_TRUE(control);
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(GetFactory(factory), S_OK);
  // Giving back a lock nobody took must not give back the live object's lock.
  EXPECT_EQ(factory->LockServer(FALSE), E_UNEXPECTED);
  factory.Reset();
  EXPECT_EQ(CanUnloadNow(), S_FALSE);
  control.Reset();
  EXPECT_EQ(CanUnloadNow(), S_OK);
}

TEST_F(ModuleTest, CreateInstanceArguments) {
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(GetFactory(factory), S_OK);
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IZorTabbedList, nullptr), E_POINTER);

  Outer outer;
  for (const IID& riid : {IID_IDispatch, IID_IZorTabbedList, IID_IPersist}) {
    void* object = kSentinel;
    EXPECT_EQ(factory->CreateInstance(&outer, riid, &object), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(object, nullptr);
  }
  EXPECT_EQ(outer.references, 1);

  // An interface the object lacks: refused, and the object made for it is gone again.
  void* object = kSentinel;
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  factory.Reset();
  EXPECT_EQ(CanUnloadNow(), S_OK);
}

TEST_F(ModuleTest, AggregatedObjectDelegatesToTheOuterObject) {
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(GetFactory(factory), S_OK);
  Outer outer;
  ASSERT_EQ(factory->CreateInstance(&outer, IID_IUnknown,
                                    reinterpret_cast<void**>(outer.inner.GetAddressOf())),
            S_OK);
  factory.Reset();
  ASSERT_TRUE(outer.inner);
  EXPECT_EQ(outer.references, 1) << "the inner object holds no reference to its outer";
  EXPECT_EQ(CanUnloadNow(), S_FALSE);

  {
    ComPtr<IZorTabbedList> control;
    ASSERT_EQ(outer.inner.As(&control), S_OK);
    EXPECT_EQ(outer.references, 2) << "references to inner interfaces count on the outer";
    ComPtr<IUnknown> identity;
    ASSERT_EQ(control.As(&identity), S_OK);
    EXPECT_EQ(identity.Get(), static_cast<IUnknown*>(&outer));
    identity.Reset();

    // Requests made through an inner interface reach the outer object and come back.
    ComPtr<IPersist> persist;
    ASSERT_EQ(control.As(&persist), S_OK);
    CLSID class_id = {};
    EXPECT_EQ(persist->GetClassID(&class_id), S_OK);
    EXPECT_TRUE(IsEqualCLSID(class_id, CLSID_ZorTabbedList));

    // The marshaler is aggregated on the outer object too.
    ComPtr<IMarshal> marshal;
    ASSERT_EQ(control.As(&marshal), S_OK);
    ASSERT_EQ(marshal.As(&identity), S_OK);
    EXPECT_EQ(identity.Get(), static_cast<IUnknown*>(&outer));
    LONG count = -1;
    EXPECT_EQ(control->get_ItemCount(&count), S_OK);
    EXPECT_EQ(count, 0);
  }
  EXPECT_EQ(outer.references, 1);
  outer.inner.Reset();
  EXPECT_EQ(CanUnloadNow(), S_OK);
}

TEST_F(ModuleTest, StandaloneObjectInterfaces) {
  ComPtr<IZorTabbedList> control = MakeControl();
  ASSERT_TRUE(control);
  ComPtr<IUnknown> identity;
  ASSERT_EQ(control.As(&identity), S_OK);

  ComPtr<IDispatch> dispatch;
  ComPtr<IPersist> persist;
  ComPtr<ISupportErrorInfo> error_info;
  ComPtr<IMarshal> marshal;
  ASSERT_EQ(control.As(&dispatch), S_OK);
  ASSERT_EQ(control.As(&persist), S_OK);
  ASSERT_EQ(control.As(&error_info), S_OK);
  ASSERT_EQ(control.As(&marshal), S_OK);
  EXPECT_EQ(static_cast<IUnknown*>(dispatch.Get()), static_cast<IUnknown*>(control.Get()))
      << "IDispatch is the dual interface itself";
  for (IUnknown* face : std::initializer_list<IUnknown*>{dispatch.Get(), persist.Get(),
                                                         error_info.Get(), marshal.Get()}) {
    ComPtr<IUnknown> other;
    ASSERT_EQ(face->QueryInterface(IID_PPV_ARGS(&other)), S_OK);
    EXPECT_EQ(other.Get(), identity.Get());
  }

  CLSID class_id = {};
  EXPECT_EQ(persist->GetClassID(&class_id), S_OK);
  EXPECT_TRUE(IsEqualCLSID(class_id, CLSID_ZorTabbedList));
  EXPECT_EQ(persist->GetClassID(nullptr), E_POINTER);

  // No member sets error objects, so none is announced.
  EXPECT_EQ(error_info->InterfaceSupportsErrorInfo(IID_IZorTabbedList), S_OK);
  EXPECT_EQ(error_info->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);

  CLSID unmarshal_class = {};
  EXPECT_EQ(marshal->GetUnmarshalClass(IID_IZorTabbedList, control.Get(), MSHCTX_INPROC, nullptr,
                                       MSHLFLAGS_NORMAL, &unmarshal_class),
            S_OK);
  // In-process the free-threaded marshaler hands out its own class, not the proxy's.
  EXPECT_FALSE(IsEqualCLSID(unmarshal_class, CLSID_StdMarshal));
  EXPECT_FALSE(IsEqualCLSID(unmarshal_class, GUID_NULL));

  for (const IID& riid : {IID_ISpecifyPropertyPages, IID_IPointerInactive, IID_IClassFactory}) {
    void* object = kSentinel;
    EXPECT_EQ(identity->QueryInterface(riid, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
  }
  EXPECT_EQ(identity->QueryInterface(IID_IDispatch, nullptr), E_POINTER);
}

TEST_F(ModuleTest, EveryInterfaceOfTheTableAnswersForTheOneObject) {
  ComPtr<IZorTabbedList> control = MakeControl();
  ASSERT_TRUE(control);
  ComPtr<IUnknown> identity;
  ASSERT_EQ(control.As(&identity), S_OK);
  const IID* const table[] = {&IID_IZorTabbedList,
                              &IID_IDispatch,
                              &IID_IViewObjectEx,
                              &IID_IViewObject2,
                              &IID_IViewObject,
                              &IID_IOleInPlaceObjectWindowless,
                              &IID_IOleInPlaceObject,
                              &IID_IOleWindow,
                              &IID_IOleInPlaceActiveObject,
                              &IID_IOleControl,
                              &IID_IPersistStreamInit,
                              &IID_IPersist,
                              &IID_ISupportErrorInfo,
                              &IID_IQuickActivate,
                              &IID_IPersistStorage,
                              &IID_IPersistPropertyBag,
                              &IID_IDataObject,
                              &IID_IProvideClassInfo,
                              &IID_IProvideClassInfo2,
                              &IID_IConnectionPointContainer,
                              &IID_IMarshal,
                              &IID_IObjectSafety,
                              &IID_IOleObject};
  for (std::size_t row = 0; row < std::size(table); ++row) {
    ComPtr<IUnknown> face;
    ASSERT_EQ(identity->QueryInterface(*table[row], reinterpret_cast<void**>(face.GetAddressOf())),
              S_OK)
        << "row " << row + 1;
    ComPtr<IUnknown> back;
    ASSERT_EQ(face.As(&back), S_OK) << "row " << row + 1;
    EXPECT_EQ(back.Get(), identity.Get()) << "row " << row + 1;
  }
}

TEST_F(ModuleTest, PointerMarshalledToAnotherApartmentIsTheObjectItself) {
  ComPtr<IZorTabbedList> control = MakeControl();
  ASSERT_TRUE(control);
  ComPtr<IStream> stream;
  ASSERT_EQ(CoMarshalInterThreadInterfaceInStream(IID_IZorTabbedList, control.Get(), &stream),
            S_OK);
  IZorTabbedList* unmarshalled = nullptr;
  HRESULT unmarshal_hr = E_FAIL;
  LONG count = -1;
  std::thread([&] {
    Apartment free_threaded(COINIT_MULTITHREADED);
    unmarshal_hr = CoGetInterfaceAndReleaseStream(stream.Detach(), IID_PPV_ARGS(&unmarshalled));
    if (SUCCEEDED(unmarshal_hr)) {
      unmarshalled->get_ItemCount(&count);
      unmarshalled->Release();
    }
  }).join();
  ASSERT_EQ(unmarshal_hr, S_OK);
  EXPECT_EQ(unmarshalled, control.Get()) << "no proxy between apartments";
  EXPECT_EQ(count, 0);
}

}  // namespace
}  // namespace zortab_test
