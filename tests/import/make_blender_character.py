# Makes tests/import/blender_character.glb with Blender (run once by a developer:
#   blender -b --factory-startup --python tests/import/make_blender_character.py -- OUT.glb):
# a figure modelled facing Blender's front (-Y), at 10 frames a second, with
#   - a body textured with a red and yellow checker, a belt with a second
#     texture (green and cyan stripes), a head painted in a blue factor alone,
#     a nose that sticks out to the front, and a badge of red vertex colours;
#   - two actions keyed from frame 1 as Blender keys them: "run", a bob that
#     ends on its first pose (a closed loop, frames 1 to 7), and "wave", a
#     turn (frames 1 to 6).
import sys

import bpy
import numpy

numpy.bool = bool  # Blender 3.4's glTF add-on still names numpy.bool

out = sys.argv[sys.argv.index("--") + 1]
bpy.ops.wm.read_factory_settings(use_empty=True)
scene = bpy.context.scene
scene.render.fps = 10
scene.frame_start, scene.frame_end = 1, 7


def image(name, colours, stripes):
    picture = bpy.data.images.new(name, 8, 8)
    pixels = []
    for y in range(8):
        for x in range(8):
            pixels += colours[(y // 2) % 2 if stripes else (x // 2 + y // 2) % 2] + [1.0]
    picture.pixels = pixels
    picture.pack()
    return picture


def material(name, colour=None, picture=None):
    m = bpy.data.materials.new(name)
    m.use_nodes = True
    shader = m.node_tree.nodes["Principled BSDF"]
    if colour:
        shader.inputs["Base Color"].default_value = colour
    if picture:
        texture = m.node_tree.nodes.new("ShaderNodeTexImage")
        texture.image = picture
        texture.interpolation = "Closest"
        m.node_tree.links.new(texture.outputs["Color"], shader.inputs["Base Color"])
    return m


def box(name, size, location, m):
    bpy.ops.mesh.primitive_cube_add(size=1, location=location)
    part = bpy.context.active_object
    part.name = name
    part.scale = size
    bpy.ops.object.transform_apply(scale=True)
    part.data.materials.append(m)
    return part


checker = material("cloth", picture=image("checker", [[1, 0, 0], [1, 1, 0]], False))
stripes = material("belt", picture=image("stripes", [[0, 1, 0], [0, 1, 1]], True))
blue = material("skin", colour=(0, 0, 1, 1))
white = material("badge", colour=(1, 1, 1, 1))
parts = [box("body", (0.6, 0.3, 1.0), (0, 0, 0.5), checker), box("belt", (0.62, 0.32, 0.1), (0, 0, 0.3), stripes),
         box("head", (0.3, 0.3, 0.3), (0, 0, 1.15), blue), box("nose", (0.08, 0.2, 0.08), (0, -0.2, 1.15), blue)]
bpy.ops.mesh.primitive_plane_add(size=0.2, location=(0.15, -0.16, 0.75), rotation=(1.5708, 0, 0))
badge = bpy.context.active_object
badge.data.materials.append(white)
paint = badge.data.color_attributes.new("Col", "FLOAT_COLOR", "POINT")
for point in paint.data:
    point.color = (1, 0, 0, 1)
parts.append(badge)
for part in parts:
    part.select_set(True)
bpy.context.view_layer.objects.active = parts[0]
bpy.ops.object.join()
figure = bpy.context.active_object
figure.name = "figure"

figure.animation_data_create()
track_of = {}
for name, keys in (("run", [(1, 0.0), (4, 0.15), (7, 0.0)]), ("wave", [(1, 0.0), (6, 0.6)])):
    action = bpy.data.actions.new(name)
    figure.animation_data.action = action
    for frame, value in keys:
        if name == "run":
            figure.location.z = value
            figure.keyframe_insert("location", frame=frame)
        else:
            figure.rotation_euler.z = value
            figure.keyframe_insert("rotation_euler", frame=frame)
    track = figure.animation_data.nla_tracks.new()
    track.name = name
    track.strips.new(name, int(keys[0][0]), action)
    figure.animation_data.action = None
    figure.location.z, figure.rotation_euler.z = 0, 0

bpy.ops.export_scene.gltf(filepath=out, export_format="GLB", export_animations=True, export_nla_strips=True,
                          export_colors=True, export_apply=True)
