// The 3D object model: tree, orientation, matrices, hit tests, streaming.
#include <gtest/gtest.h>

#include <cmath>

#include "draw2d/ImageFilter.h"
#include "scene2d/Errors.h"
#include "scene2d/ObjectStreaming.h"
#include "scene3d/SceneObjects.h"
#include "scene3d/TextForms.h"
#include "tests/scene3d/testing/ProbeCanvas.h"

namespace {

void ExpectMatrixNear(const TscMatrix& A, const TscMatrix& B) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(A.M[r][c], B.M[r][c], 1e-5) << r << "," << c;
}

TEST(VisualObject, OrientationAccumulatesInTheOrderOfChanges) {
  TscVisualObject a(nullptr), b(nullptr);
  a.RotateAngle()->SetY(90);
  a.RotateAngle()->SetX(90);
  b.RotateAngle()->SetX(90);
  b.RotateAngle()->SetY(90);
  const TscVector pa = scTransformDirection({1, 0, 0, 0}, a.LocalMatrix());
  const TscVector pb = scTransformDirection({1, 0, 0, 0}, b.LocalMatrix());
  EXPECT_GT(scLength(scSubtract(pa, pb)), 0.5f);

  TscVisualObject z(nullptr);
  z.RotateAngle()->SetZ(370);
  EXPECT_FLOAT_EQ(z.RotateAngle()->Z(), 10);
  const TscVector x = scTransformDirection({1, 0, 0, 0}, z.LocalMatrix());
  EXPECT_NEAR(std::atan2(x.Y, x.X) * 180 / 3.14159265f, 10, 1e-3);
}

TEST(VisualObject, AbsoluteMatrixChainsScalePositionAndParent) {
  TscVisualObject root(nullptr);
  ExpectMatrixNear(root.AbsoluteMatrix(), TscMatrix());
  auto* child = new TscVisualObject(nullptr);
  root.AddObject(child);
  root.Position()->SetPoint({10, 0, 0, 1});
  child->Position()->SetPoint({0, 5, 0, 1});
  child->Scale()->SetX(2);
  const TscVector p = child->LocalToAbsolute({1, 0, 0, 1});
  EXPECT_NEAR(p.X, 12, 1e-5);
  EXPECT_NEAR(p.Y, 5, 1e-5);
  const TscVector back = child->AbsoluteToLocal(p);
  EXPECT_NEAR(back.X, 1, 1e-5);
  root.SetOpacity(0.5f);
  child->SetOpacity(3);
  EXPECT_EQ(child->Opacity(), 1);
  EXPECT_FLOAT_EQ(child->AbsoluteOpacity(), 0.5f);
}

// A plate 2 x 2 in its local X/Y plane that intersects rays for real.
class TPlate : public TscVisualObject {
 public:
  using TscVisualObject::TscVisualObject;
  bool RayCastIntersect(const TscVector& Pos, const TscVector& Dir, TscVector& Hit) override {
    if (Dir.Z == 0) return false;
    const float t = -Pos.Z / Dir.Z;
    const TscVector p = scAdd(Pos, scScale(Dir, t));
    if (t < 0 || std::fabs(p.X) > 1 || std::fabs(p.Y) > 1) return false;
    Hit = LocalToAbsolute(p);
    return true;
  }
};

TEST(VisualObject, RayHitTestsFollowRotationAndPickTheNearest) {
  TProbeCanvas canvas(200, 200);
  TscCamera camera(nullptr);
  camera.Position()->SetPoint({0, -10, 0, 1});
  canvas.SetCamera(&camera);
  TscDummy root(nullptr);
  auto* plate = new TPlate(nullptr);
  root.AddObject(plate);
  // Facing the camera only once turned: edge-on, the centre ray misses it.
  float nearest = 65535;
  plate->Position()->SetPoint({0.5f, 0, 0, 1});
  EXPECT_EQ(root.ObjectByRay(canvas, nearest, 100, 100), nullptr);
  plate->RotateAngle()->SetX(90);
  nearest = 65535;
  EXPECT_EQ(root.ObjectByRay(canvas, nearest, 100, 100), plate);
  EXPECT_NEAR(nearest, 10, 1e-3);
  // A nearer plate wins; a plate that does not hit-test is passed over.
  auto* front = new TPlate(nullptr);
  root.AddObject(front);
  front->RotateAngle()->SetX(90);
  front->Position()->SetPoint({0, -4, 0, 1});
  nearest = 65535;
  EXPECT_EQ(root.ObjectByRay(canvas, nearest, 100, 100), front);
  front->SetHitTest(false);
  nearest = 65535;
  EXPECT_EQ(root.ObjectByRay(canvas, nearest, 100, 100), plate);
}

TEST(VisualObject, SmallScalesAreNotPaintedNorTheirChildren) {
  TProbeCanvas canvas(10, 10);
  TscDummy root(nullptr);
  auto* shown = new TscVisualObject(nullptr);
  auto* flat = new TscVisualObject(nullptr);
  auto* under = new TscVisualObject(nullptr);
  root.AddObject(shown);
  root.AddObject(flat);
  flat->AddObject(under);
  flat->Scale()->SetX(0.005f);
  std::vector<TscObject*> painted;
  for (TscVisualObject* v : {shown, flat, under})
    v->OnPaint = [&](TscObject* S, TscCanvas&) { painted.push_back(S); };
  root.PaintChildren(canvas);
  EXPECT_EQ(painted, std::vector<TscObject*>{shown});
}

TEST(ObjectTree, FreeingAParentFreesItsChildrenAndWeakReferencesClear) {
  auto root = std::make_unique<TscDummy>(nullptr);
  auto* target = new TscVisualObject(nullptr);
  root->AddObject(target);
  TscCamera camera(nullptr);
  camera.SetTarget(target);
  TscProxyObject proxy(nullptr);
  proxy.SetSourceObject(target);
  EXPECT_THROW(target->AddObject(root.get()), EuxError);
  root.reset();
  EXPECT_EQ(camera.Target(), nullptr);
  EXPECT_EQ(proxy.SourceObject(), nullptr);
}

TEST(Streaming, TheLayerRootWritesAndReadsItsOwnTexts) {
  RegisterScene3dClasses();
  TscVisualObject layer(nullptr);
  layer.Position()->SetPointText("(149.5,147.5,0)");
  layer.SetWidth(299);
  EXPECT_EQ(layer.Position()->PointText(), "(149.5,147.5,0)");
  EXPECT_EQ(std::get<std::string>(layer.GetProperty("Quanternion")), "(0,0,0,1)");
  layer.SetProperty("Quanternion", std::string("(0,0,0.5,x)"));  // keeps what it read
  EXPECT_EQ(layer.Quaternion().Z, 0.5f);
  EXPECT_EQ(layer.Quaternion().W, 1);
  EXPECT_EQ(scFloatToText(0.333333333f), "0.333333");
  EXPECT_EQ(scFloatToText(299), "299");
  EXPECT_EQ(scTextToPoint("(1,2"), (TscVector{0, 0, 0, 1}));
  EXPECT_THROW(scTextToColor("Red"), EuxConvertError);
  EXPECT_EQ(scTextToColor("#FF3E3E3E"), 0xFF3E3E3Eu);
  EXPECT_EQ(scTextToColor("$10"), 16u);
  const TuiPropertyInfo* point = TscPosition::StaticClass().FindProperty("Point");
  ASSERT_NE(point, nullptr);
  EXPECT_TRUE(point->IsStored(*layer.Position()));
  EXPECT_FALSE(point->IsStored(*layer.Scale()));
}

TEST(Values, BitmapsChooseTheirEncodingAndMeshesRefuseDamagedData) {
  TscBitmap opaque(3, 2);
  opaque.Clear(0xFF102030);
  const std::vector<uint8_t> jpeg = opaque.SaveToBytes();
  ASSERT_GE(jpeg.size(), 2u);
  EXPECT_EQ(jpeg[0], 0xFF);  // JPEG's start-of-image marker
  opaque.Bits()[1] = 0xFE102030;
  const std::vector<uint8_t> png = opaque.SaveToBytes();
  ASSERT_GE(png.size(), 2u);
  EXPECT_EQ(png[1], 'P');
  TscBitmap back;
  ASSERT_TRUE(back.LoadFromBytes(png));
  EXPECT_EQ(back.Width(), 3);
  EXPECT_FALSE(back.LoadFromBytes(std::vector<uint8_t>{1, 2, 3}));

  // A 2D default filter without a factory is the 2D error, not a crash.
  TuiFilterRegistry& registry = TuiFilterRegistry::Instance();
  const std::string systemFilter = registry.DefaultClass();
  registry.Register("NoFactory3d", nullptr);
  ASSERT_TRUE(registry.SetDefaultClass("NoFactory3d"));
  std::string error = "nothing raised";
  try {
    back.LoadFromBytes(png);
  } catch (const EuxError& e) {
    error = e.what();
  }
  registry.SetDefaultClass(systemFilter);
  EXPECT_EQ(error, "No image filter is registered");
  EXPECT_EQ(back.Width(), 3);

  TscMeshData mesh;
  mesh.Vertices.resize(2);
  mesh.Indices = {0, 1, 1};
  TscMeshData copy;
  copy.SetMeshBytes(mesh.MeshBytes());
  EXPECT_EQ(copy.Vertices, mesh.Vertices);
  TuiBinary damaged = mesh.MeshBytes();
  damaged.Bytes[0] = 0xFF;  // claims 255 vertices
  EXPECT_THROW(copy.SetMeshBytes(damaged), EuxReadError);
  EXPECT_EQ(copy.Vertices.size(), 2u);
}

}  // namespace
