[description]
birch, young

[mesh]
model\main.mesh

[collision_mesh]
model\collision.mesh
