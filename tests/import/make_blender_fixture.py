# Makes tests/import/blender_arm.glb with Blender (run once by a developer:
#   blender -b --factory-startup --python tests/import/make_blender_fixture.py -- OUT.glb):
# a segmented cylinder skinned to a two-bone armature, with a shape key, one
# action "wave" (24 frames a second, frames 0 to 24) bending the upper bone,
# turning the lower one and blending the shape key in.
import sys

import bpy
import numpy

numpy.bool = bool  # Blender 3.4's glTF add-on still names numpy.bool

out = sys.argv[sys.argv.index("--") + 1]
bpy.ops.wm.read_factory_settings(use_empty=True)
scene = bpy.context.scene
scene.render.fps = 24
scene.frame_start, scene.frame_end = 0, 24

bpy.ops.mesh.primitive_cylinder_add(vertices=8, radius=0.3, depth=2, location=(0, 0, 1))
arm = bpy.context.active_object
arm.name = "arm"
bpy.ops.object.mode_set(mode="EDIT")
bpy.ops.mesh.select_all(action="SELECT")
bpy.ops.mesh.subdivide(number_cuts=3)
bpy.ops.object.mode_set(mode="OBJECT")
arm.shape_key_add(name="Basis")
bulge = arm.shape_key_add(name="bulge")
for point in bulge.data:
    point.co.x *= 1.5 if 0.6 < point.co.z < 1.4 else 1.0

bpy.ops.object.armature_add(location=(0, 0, 0))
rig = bpy.context.active_object
rig.name = "rig"
bpy.ops.object.mode_set(mode="EDIT")
lower = rig.data.edit_bones[0]
lower.name, lower.head, lower.tail = "lower", (0, 0, 0), (0, 0, 1)
upper = rig.data.edit_bones.new("upper")
upper.head, upper.tail, upper.parent = (0, 0, 1), (0, 0, 2), lower
bpy.ops.object.mode_set(mode="OBJECT")

arm.select_set(True)
rig.select_set(True)
bpy.context.view_layer.objects.active = rig
bpy.ops.object.parent_set(type="ARMATURE_AUTO")

rig.animation_data_create()
rig.animation_data.action = bpy.data.actions.new("wave")
for frame, bend, turn in ((0, 0.0, 0.0), (12, 0.8, 0.4), (24, -0.5, 0.9)):
    bone = rig.pose.bones["upper"]
    bone.rotation_mode = "XYZ"
    bone.rotation_euler = (bend, 0, 0)
    bone.keyframe_insert("rotation_euler", frame=frame)
    base = rig.pose.bones["lower"]
    base.rotation_mode = "XYZ"
    base.rotation_euler = (0, 0, turn)
    base.keyframe_insert("rotation_euler", frame=frame)
keys = arm.data.shape_keys
keys.animation_data_create()
keys.animation_data.action = bpy.data.actions.new("wave")
for frame, value in ((0, 0.0), (24, 1.0)):
    keys.key_blocks["bulge"].value = value
    keys.key_blocks["bulge"].keyframe_insert("value", frame=frame)

bpy.ops.export_scene.gltf(filepath=out, export_format="GLB", export_animations=True, export_skins=True,
                          export_morph=True, export_apply=False)
