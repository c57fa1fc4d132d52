[description]
terraced house, two floors

[mesh]
model\main.mesh

[collision_mesh]
model\collision.mesh
